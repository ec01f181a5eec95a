// A course video downloaded from the course page's link, a slow one paused and resumed
// from "课程下载", and the finished video played in the movie player and closed.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readdirSync, readFileSync, statSync } from 'node:fs';
import path from 'node:path';
import { Session, sourceDir } from './harness.mjs';

// A file the demo service makes up, sent slowly enough to be paused on the way.
const slowBytes = 3 * 1024 * 1024;
const slowRate = 300 * 1024;
const slowID = '9101';
const added = '已添加到下载列表,请到课程下载中查看!';

let s;
before(async () => { s = await Session.open('download'); });
after(async () => { if (s) await s.close(); });

function findFile(folder, name) {
  for (const entry of readdirSync(folder, { withFileTypes: true })) {
    const full = path.join(folder, entry.name);
    if (entry.isDirectory()) { const found = findFile(full, name); if (found) return found; } else if (entry.name === name) return full;
  }
  return null;
}

// Byte i of the service's made-up file (version 0).
function syntheticByte(i) {
  const mask = (1n << 64n) - 1n;
  let x = BigInt(i);
  x ^= x >> 33n; x = (x * 0xFF51AFD7ED558CCDn) & mask; x ^= x >> 33n;
  return Number(x & 0xFFn);
}

// The requests the demo service has had for the slow file, oldest first.
async function slowRequests() {
  const log = await (await fetch(`http://127.0.0.1:${s.service.port}/control/requests?from=0`)).json();
  return log.requests.filter((r) => r.path === `/videos/synthetic/${slowBytes}.mp4`);
}

async function rowProgress() {
  return (await s.textsOnScreen()).find((t) => /\(\d+%\)$/.test(t)) || null;
}

// A long toast is drawn over several lines, so its label's lines are read joined.
async function toastShown(text) {
  await s.until(async () => (await s.textsOnScreen({ top: 0, bottom: 568 })).includes(text), `the toast "${text}"`);
}

async function toastGone(text) {
  await s.until(async () => !(await s.textsOnScreen({ top: 0, bottom: 568 })).includes(text), `the toast "${text}" gone`);
}

test('a course video is downloaded, a slow one paused and resumed, and the finished one plays', async () => {
  // Log in, as downloads belong to the student centre.
  await s.waitForText('个人所得税');
  await s.clickTab('学员中心');
  await s.clickShown('登录');
  await s.fillLoginForm();
  await s.clickShown('登录');
  await s.waitForText('退出登录', 15000);

  // The course page of a home tile, seen as the logged-in student.
  await s.clickTab('首页');
  await s.until(async () => (await s.textsOnScreen()).includes('增值税'), 'the home page');
  await s.clickPoint(60, 280);
  const frame = s.page.locator('#screen iframe.web');
  await frame.waitFor({ timeout: 15000 });
  assert.match(decodeURIComponent(await frame.getAttribute('data-src')), /courseDetail\.aspx\?userId=10001&docId=101/);
  const course = s.page.frameLocator('#screen iframe.web');
  await course.locator('a', { hasText: '下载视频' }).first().waitFor({ timeout: 15000 });
  await s.screenshot('course-page');
  await s.clickInWebPage(course.locator('a', { hasText: '下载视频' }).first());
  await toastShown(added);
  await s.screenshot('added');
  await toastGone(added);

  // The sample video is downloaded at once; a slow file is given its own link in the
  // page, tapped like the page's own, so there is time to pause it.
  const slowAddress = `http://127.0.0.1:${s.service.port}/videos/synthetic/${slowBytes}.mp4?rate=${slowRate}`;
  await course.locator('body').evaluate((body, href) => {
    const link = document.createElement('a');
    link.href = href;
    link.textContent = '下载慢速视频';
    link.style.cssText = 'display:block;font-size:24px;padding:12px';
    body.prepend(link);
  }, `video:${slowAddress}*${slowID}`);
  await s.clickInWebPage(course.locator('a', { hasText: '下载慢速视频' }));
  await toastShown(added);

  // 学员中心 > 课程下载: the slow file runs in "下载中".
  await s.clickText('返回');
  await frame.waitFor({ state: 'detached', timeout: 10000 });
  await s.clickTab('学员中心');
  await s.clickShown('课程下载');
  await s.clickShown('下载中', { top: 64 });
  const running = await s.until(async () => {
    const shown = await rowProgress();
    const percent = shown && Number(shown.match(/\((\d+)%\)$/)[1]);
    return percent > 0 && percent < 80 && shown;
  }, 'the slow download under way');
  await s.screenshot('downloading');

  await s.clickShown('暂停');
  await s.waitForText('下载');
  const paused = await rowProgress();
  assert.notEqual(paused, null);
  // Paused, the partial file is closed as it stands; the download asked once so far.
  const partial = findFile(s.home, slowID);
  assert.ok(partial, 'the partial file is kept under its identifier');
  const kept = statSync(partial).size;
  assert.equal((await slowRequests()).length, 1);
  console.log(`paused at ${paused} (running was ${running}), ${kept} bytes on disk`);
  await s.screenshot('paused');

  await s.clickShown('下载');
  await s.waitForText('暂停');
  // The resume is the next request for the file, and it asks for the rest of the file as the
  // pause left it: nothing was received or written while paused.
  const asked = await s.until(async () => { const r = await slowRequests(); return r.length > 1 && r; }, 'the resumed request');
  assert.equal(asked.length, 2);
  assert.equal(asked[1].headers.Range, `bytes=${kept}-`, 'the resume starts where the pause left the file');
  await s.until(async () => (await rowProgress()) !== paused, 'the download going on after the resume');
  await s.screenshot('resumed');

  // Finished, the slow file holds exactly the service's bytes across the pause.
  await s.clickShown('已下载', { top: 64 });
  const finished = await s.until(async () => {
    const rows = (await s.textsOnScreen()).filter((t) => /MB {2}\(100%\)$/.test(t));
    return rows.length === 2 && rows;
  }, 'both downloads finished', 30000);
  await s.screenshot('finished');
  const slowFile = findFile(s.home, `${slowID}.mp4`);
  assert.ok(slowFile, 'the slow file is kept under its identifier');
  assert.equal(statSync(slowFile).size, slowBytes);
  const bytes = readFileSync(slowFile);
  let wrong = -1;
  for (let i = 0; i < bytes.length && wrong < 0; i++) if (bytes[i] !== syntheticByte(i)) wrong = i;
  assert.equal(wrong, -1, `byte ${wrong} of the resumed file differs from the service's`);
  const sample = readFileSync(path.join(sourceDir, 'demo-service/data/videos/tax-101.mp4'));
  assert.ok(readFileSync(findFile(s.home, '101.mp4')).equals(sample), 'the course video is the service\'s file');

  // The course video's row (the smaller one) opens the movie player.
  const small = finished.find((t) => t.startsWith('0.0'));
  assert.ok(small, `a row of the small video among ${finished}`);
  const answer = s.page.waitForResponse((r) => r.url().includes('/display/movie'), { timeout: 15000 });
  await s.clickShown(small);
  const video = s.page.locator('#screen video.movie');
  await video.waitFor({ timeout: 10000 });
  const response = await answer;
  assert.ok([200, 206].includes(response.status()), `the movie is served (${response.status()})`);
  const state = await video.evaluate((element) => new Promise((resolve) => {
    const report = () => resolve({ readyState: element.readyState, error: element.error && element.error.code, duration: element.duration });
    if (element.readyState > 0 || element.error) return report();
    element.addEventListener('loadedmetadata', report, { once: true });
    element.addEventListener('error', report, { once: true });
    setTimeout(report, 10000);
  }));
  console.log(`movie: answer ${response.status()}, readyState ${state.readyState}, duration ${state.duration}, error ${state.error}`);
  if (state.error === 4) {
    // This browser cannot decode the file (no H.264); the page still got its bytes.
    assert.ok(Number(response.headers()['content-length'] || 0) > 0 || response.status() === 206);
  } else {
    assert.ok(state.readyState > 0, 'the movie loads in the page');
    assert.ok(Math.abs(state.duration - 4) < 1, `the sample lasts about 4 s (${state.duration})`);
  }
  await s.screenshot('player');

  await s.clickText('完成');
  await video.waitFor({ state: 'detached', timeout: 10000 });
  await s.until(async () => (await s.textsOnScreen()).includes(small), 'the finished rows again');
  assert.deepEqual(s.errors, []);
});
