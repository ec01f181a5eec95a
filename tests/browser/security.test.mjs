// Pages of other sites cannot act on the app through the display's server: not a page of
// another site open beside the display, not a name re-pointed at 127.0.0.1, not a page
// from the network shown inside the display's web view.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import http from 'node:http';
import { Session } from './harness.mjs';

const REBOUND = 'rebound.test';

let s;
let site;
let pages = {};

// Another site on its own loopback port; its pages are set by each test.
function serve() {
  return new Promise((resolve) => {
    const server = http.createServer((request, response) => {
      const page = pages[request.url.split('?')[0]];
      response.writeHead(page ? 200 : 404, { 'Content-Type': 'text/html; charset=utf-8' });
      response.end(page || 'not here');
    });
    server.listen(0, '127.0.0.1', () => resolve(server));
  });
}

// What the app shows, asked as local automation does (no Origin).
function screen() {
  return new Promise((resolve, reject) => {
    http.get(`${s.url}api/screen`, (response) => {
      let body = '';
      response.on('data', (chunk) => { body += chunk; });
      response.on('end', () => resolve(JSON.parse(body)));
    }).on('error', reject);
  });
}

// The script every hostile page runs: tap a tab and quit with bodies a browser sends to any
// site without asking, and read the log. `app` is the app's address as the page works it out.
const attack = (app) => `
  (async () => {
    const app = ${app};
    const post = (path, body) => fetch(app + path, { method: 'POST', mode: 'no-cors', headers: { 'Content-Type': 'text/plain' }, body })
      .then((r) => r.type, (e) => 'failed');
    const out = {};
    out.tap = await post('/api/tap', JSON.stringify({ text: '学员中心' }));
    out.quit = await post('/api/quit', '{}');
    out.log = await fetch(app + '/api/log?from=0').then((r) => r.text(), () => 'failed');
    out.opaqueLog = await fetch(app + '/api/log?from=0', { mode: 'no-cors' }).then((r) => r.text(), () => 'failed');
    document.getElementById('out').textContent = JSON.stringify(out);
  })();`;

before(async () => {
  s = await Session.open('security', { browserArgs: [`--host-resolver-rules=MAP ${REBOUND} 127.0.0.1`] });
  site = await serve();
});
after(async () => {
  if (site) site.close();
  if (s) await s.close();
});

test('a page of another site beside the display cannot tap, quit, read the log or frame the display', async () => {
  await s.waitForText('个人所得税');
  const shown = await screen();
  const appOrigin = s.url.replace(/\/$/, '');
  pages['/attack.html'] = `<!doctype html><meta charset="utf-8"><p id="out"></p>
    <iframe id="framed" src="${appOrigin}/"></iframe><script>${attack(JSON.stringify(appOrigin))}</script>`;
  const other = await s.browser.newPage();
  await other.goto(`http://127.0.0.1:${site.address().port}/attack.html`);
  // The page writes its output once every call it made has been answered, and the app
  // answers a call after carrying it out: what it shows now includes any effect.
  await other.locator('#out').filter({ hasText: 'opaqueLog' }).waitFor({ timeout: 15000 });
  assert.equal(s.app.child.exitCode, null, 'the app runs on');
  const now = await screen();
  assert.equal(now.tab, shown.tab, 'the tab did not change');
  assert.deepEqual(now.screens, shown.screens);
  const out = JSON.parse(await other.locator('#out').textContent());
  assert.equal(out.log, 'failed', 'the log is not read');
  assert.equal(out.opaqueLog, '', 'nothing of the log comes through');
  // The display refuses to be framed by another site.
  const framed = other.frames().filter((frame) => frame !== other.mainFrame());
  assert.equal(framed.length, 1);
  assert.equal(await framed[0].evaluate(() => !!window.qelvo).catch(() => false), false, 'the display is not framed');
  await other.close();

  // A name re-pointed at 127.0.0.1 (DNS rebinding) is refused, the page and every call.
  const rebound = await s.browser.newPage();
  const page = await rebound.goto(`http://${REBOUND}:${s.app.port}/`);
  assert.equal(page.status(), 403);
  const read = await rebound.evaluate(async () => {
    const log = await fetch('/api/log?from=0');
    const tap = await fetch('/api/tap', { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: '{"text":"学员中心"}' });
    return { log: log.status, text: await log.text(), tap: tap.status };
  });
  assert.deepEqual([read.log, read.tap], [403, 403]);
  assert.doesNotMatch(read.text, /postStr/);
  await rebound.close();
  assert.equal((await screen()).tab, shown.tab);

  // The display itself still works.
  await s.clickTab('学员中心');
  await s.until(async () => (await screen()).tab === 4, 'the student centre tab');
  await s.clickTab('首页');
  await s.until(async () => (await screen()).tab === 0, 'the home tab');
  assert.deepEqual(s.errors, []);
});

test('a page shown in the display\'s web view cannot act on the app, nor send anything but link taps', async () => {
  await s.waitForText('个人所得税');
  await s.clickPoint(60, 280); // a course page in a web view
  const frame = s.page.locator('#screen iframe.web');
  await frame.waitFor({ timeout: 15000 });
  await s.page.frameLocator('#screen iframe.web').locator('a').first().waitFor({ timeout: 15000 });
  const shown = await screen();
  assert.equal(shown.screens.at(-1), 'CourseDetailViewCon');

  // The page works out the app's address from its own. Then it sends messages a link tap
  // does not look like, and a well-formed one from a frame of its own; each of them, if
  // taken, would open the login screen ("doLogin").
  pages['/course.html'] = `<!doctype html><html><head><meta charset="utf-8"></head><body><p id="out"></p>
    <p><a href="doLogin">登录</a></p>
    <script>
      parent.postMessage({ qelvoLink: 'doLogin', more: 1 }, '*');
      parent.postMessage('doLogin', '*');
      parent.postMessage({ qelvoLink: 'doLogin'.padEnd(9000, 'x') }, '*');
      const inner = document.createElement('iframe');
      inner.srcdoc = '<script>top.postMessage({ qelvoLink: "doLogin" }, "*");<\\/script>';
      document.body.appendChild(inner);
      try { top.location = 'about:blank'; } catch (e) {}
      ${attack('new URL(location.href).origin')}
    </script></body></html>`;
  const hostile = `http://127.0.0.1:${site.address().port}/course.html`;
  const linked = await s.page.evaluate(async (url) => (await fetch('/api/link', {
    method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify({ url }),
  })).status, hostile);
  assert.equal(linked, 200);
  await s.waitInPage((url) => {
    const web = document.querySelector('#screen iframe.web');
    return web && web.dataset.src.includes(encodeURIComponent(url));
  }, hostile, { timeout: 15000 });
  const page = s.page.frameLocator('#screen iframe.web');
  await page.locator('#out').filter({ hasText: 'opaqueLog' }).waitFor({ timeout: 15000 });
  const out = JSON.parse(await page.locator('#out').textContent());
  assert.equal(out.log, 'failed');
  assert.equal(out.opaqueLog, '');

  await s.page.waitForTimeout(1000);
  assert.equal(s.app.child.exitCode, null, 'the app runs on');
  const now = await screen();
  assert.equal(now.tab, shown.tab);
  assert.deepEqual(now.screens, shown.screens, 'no login screen, no other tab');
  assert.doesNotMatch(await s.page.locator('#last-call').textContent(), /^link/);
  assert.equal(new URL(s.page.url()).pathname, '/', 'the display was not navigated away');

  // A real tap on the page's link still reaches the app.
  await s.clickInWebPage(page.locator('a', { hasText: '登录' }));
  await s.waitForText('用户名');
  await s.clickText('返回');
  await frame.waitFor({ timeout: 10000 });
  await s.clickText('返回');
  await s.waitForText('增值税');
  assert.deepEqual(s.errors, []);
});
