// Starts the demo service and the app on free loopback ports with a fresh home
// folder, opens the display page in Debian's Chromium, and offers the few moves a
// person makes: click a text, click a point of the phone, drag, type.
import { spawn } from 'node:child_process';
import { mkdtempSync, mkdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const sourceDir = path.resolve(here, '../..');
export const buildDir = process.env.QELVO_BUILD_DIR ? path.resolve(process.env.QELVO_BUILD_DIR) : path.join(sourceDir, 'build');
export const artefactDir = path.join(buildDir, 'browser-artefacts');

function startProcess(command, args, marker, env = {}) {
  return new Promise((resolve, reject) => {
    const child = spawn(command, args, { env: { ...process.env, ...env }, stdio: ['ignore', 'pipe', 'pipe'] });
    let output = '';
    const timer = setTimeout(() => reject(new Error(`${path.basename(command)} did not start: ${output}`)), 15000);
    const look = (chunk) => {
      output += chunk;
      const match = output.match(marker);
      if (match) { clearTimeout(timer); resolve({ child, port: Number(match[1]), output: () => output }); }
    };
    child.stdout.on('data', look);
    child.stderr.on('data', look);
    child.on('exit', (code) => { clearTimeout(timer); reject(new Error(`${path.basename(command)} exited (${code}): ${output}`)); });
  });
}

function stopProcess(proc) {
  if (!proc || proc.child.exitCode !== null) return Promise.resolve();
  return new Promise((resolve) => {
    const force = setTimeout(() => proc.child.kill('SIGKILL'), 5000);
    proc.child.once('exit', () => { clearTimeout(force); resolve(); });
    proc.child.kill('SIGTERM');
  });
}

export class Session {
  // `browserArgs`: extra Chromium switches (a host name mapped to 127.0.0.1, say).
  static async open(name, { browserArgs = [] } = {}) {
    const session = new Session(name, browserArgs);
    await session.start();
    return session;
  }

  constructor(name, browserArgs = []) {
    this.name = name;
    this.browserArgs = browserArgs;
    this.home = mkdtempSync(path.join(tmpdir(), 'qelvo-browser-'));
    this.shots = 0;
  }

  async start() {
    const bin = path.join(buildDir, 'bin');
    this.service = await startProcess(path.join(bin, 'qelvo-demo-service'),
      ['--port', '0', '--data', path.join(sourceDir, 'demo-service/data')], /listening on http:\/\/[\d.]+:(\d+)/);
    this.app = await startProcess(path.join(bin, 'qelvo'),
      ['--service-host', `127.0.0.1:${this.service.port}`, '--device-port', '0', '--container', this.home],
      /device API http:\/\/127\.0\.0\.1:(\d+)/);
    this.url = `http://127.0.0.1:${this.app.port}/`;
    this.browser = await chromium.launch({ executablePath: process.env.QELVO_CHROMIUM || '/usr/bin/chromium', args: ['--no-sandbox', ...this.browserArgs] });
    this.page = await this.browser.newPage({ viewport: { width: 760, height: 900 } });
    this.errors = [];
    this.page.on('pageerror', (error) => this.errors.push(error.message));
    // The display must work within its own content security policy.
    this.page.on('console', (message) => {
      if (/Content Security Policy/.test(message.text())) this.errors.push(message.text());
    });
    await this.page.goto(this.url);
    await this.waitInPage(() => window.qelvo && window.qelvo.revision > 0);
  }

  async close() {
    await this.screenshot('last');
    if (this.browser) await this.browser.close();
    await stopProcess(this.app);
    await stopProcess(this.service);
    rmSync(this.home, { recursive: true, force: true });
  }

  async screenshot(label) {
    if (!this.page) return;
    mkdirSync(artefactDir, { recursive: true });
    const file = path.join(artefactDir, `${this.name}-${String(++this.shots).padStart(2, '0')}-${label}.png`);
    await this.page.screenshot({ path: file }).catch(() => {});
    return file;
  }

  // Every drawn element that shows exactly `text`, front-most last.
  textMatches(text) {
    return this.page.locator('#screen .text > div, #screen .field, #alert-layer button', { hasText: text })
      .filter({ hasText: new RegExp(`^\\s*${text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')}\\s*$`) });
  }

  // The `index`-th of them.
  textLocator(text, index = 0) { return this.textMatches(text).nth(index); }

  // How many are drawn now (a locator picked by index counts one at most).
  textCount(text) { return this.textMatches(text).count(); }

  async waitForText(text, timeout = 10000) {
    await this.textLocator(text).waitFor({ state: 'visible', timeout });
  }

  async clickText(text, index = 0) {
    // The app decides what takes the touch at that point (a button over its own label,
    // say), so only the position counts. It is found and tapped in one step: the page is
    // redrawn while the app runs (a screen sliding in), and an element found first could
    // be replaced by the time it is tapped.
    const point = await this.until(() => this.textMatches(text).evaluateAll((elements, index) => {
      const element = elements[index];
      if (!element || !element.checkVisibility({ visibilityProperty: true })) return null;
      const box = element.getBoundingClientRect();
      return box.width > 0 && box.height > 0 ? { x: box.left + box.width / 2, y: box.top + box.height / 2 } : null;
    }, index), `"${text}" to tap`, 10000);
    await this.page.mouse.click(point.x, point.y);
  }

  // Taps the front-most element showing exactly `text` that a person sees on the screen
  // between `top` and `bottom` (points), passing over screens slid away or faded out and
  // over the same text in a title bar or the tab bar.
  async clickShown(text, { top = 64, bottom = 519 } = {}) {
    // The place is found and tapped in one step: the page is redrawn while the app runs, so
    // an element picked by its index could be another one (or gone) by the time it is tapped.
    const point = await this.until(async () => this.textMatches(text).evaluateAll((elements, [top, bottom]) => {
      const phone = document.getElementById('phone').getBoundingClientRect();
      const scale = phone.width / 320;
      const shown = elements.filter((element) => {
        const box = element.getBoundingClientRect();
        const y = (box.top - phone.top) / scale;
        const x = (box.left - phone.left) / scale;
        const seen = element.checkVisibility({ checkOpacity: true, checkVisibilityCSS: true });
        return seen && box.height > 0 && y >= top && y + box.height / scale <= bottom && x >= -0.5 && x + box.width / scale <= 320.5;
      });
      if (shown.length === 0) return null;
      const box = shown[shown.length - 1].getBoundingClientRect();
      return { x: box.left + box.width / 2, y: box.top + box.height / 2 };
    }, [top, bottom]), `"${text}" on the screen`, 10000);
    await this.page.mouse.click(point.x, point.y);
  }

  // Taps the tab bar's button labelled `text`.
  clickTab(text) { return this.clickShown(text, { top: 519, bottom: 568 }); }

  // Taps the field that shows `shown` (its text or placeholder) and waits until the app
  // has focused it (its caret is drawn), as a person waits for the keyboard.
  async focusField(shown) {
    await this.clickText(shown);
    await this.page.locator('#screen .field', { hasText: shown }).locator('.caret').waitFor({ timeout: 10000 });
  }

  // Types the demo account into the login screen's fields, as a person would, and waits
  // until the password field shows its eight bullets.
  async fillLoginForm(user = 'demo', password = 'qelvo123') {
    await this.focusField('用户名');
    await this.page.keyboard.type(user);
    await this.waitForText(user);
    await this.focusField('密码');
    await this.page.keyboard.type(password);
    await this.waitInPage(
      (count) => JSON.stringify(window.qelvo.tree).includes('\u25cf'.repeat(count)), password.length);
  }

  // Clicks an element of the page shown in the web view where it shows on the phone. The
  // phone is scaled as a whole, which the automation's own click inside a frame leaves
  // out, so the point is worked out here: the page is scrolled with the mouse wheel until
  // the element is in sight, then clicked at its centre.
  async clickInWebPage(locator) {
    await locator.waitFor({ timeout: 15000 });
    const frame = this.page.locator('#screen iframe.web');
    for (let attempt = 0; ; attempt++) {
      const outer = await frame.evaluate((element) => {
        const box = element.getBoundingClientRect();
        return { x: box.x, y: box.y, scale: box.width / element.clientWidth, height: element.clientHeight };
      });
      const inner = await locator.evaluate((element) => {
        const box = element.getBoundingClientRect();
        return { x: box.x, y: box.y, width: box.width, height: box.height };
      });
      if (inner.y >= 0 && inner.y + inner.height <= outer.height) {
        await this.page.mouse.click(outer.x + (inner.x + inner.width / 2) * outer.scale, outer.y + (inner.y + inner.height / 2) * outer.scale);
        return;
      }
      if (attempt >= 20) throw new Error('the element cannot be scrolled into sight in the web view');
      await this.page.mouse.move(outer.x + 40 * outer.scale, outer.y + outer.height / 2 * outer.scale);
      await this.page.mouse.wheel(0, inner.y + inner.height / 2 - outer.height / 2);
      await this.page.waitForTimeout(150);
    }
  }

  // A point of the phone, in points.
  async clickPoint(x, y) {
    const box = await this.page.locator('#phone').boundingBox();
    const scale = box.width / 320;
    await this.page.mouse.click(box.x + x * scale, box.y + y * scale);
  }

  // A point of the phone, in points, as a point of the page.
  async pagePoint(at) {
    const box = await this.page.locator('#phone').boundingBox();
    const scale = box.width / 320;
    return { x: box.x + at[0] * scale, y: box.y + at[1] * scale };
  }

  // Drags with the mouse from one point of the phone to another in `steps` moves
  // `pause` ms apart; the button stays down.
  async pressAndMove(from, to, { steps = 12, pause = 40 } = {}) {
    const start = await this.pagePoint(from);
    const end = await this.pagePoint(to);
    await this.page.mouse.move(start.x, start.y);
    await this.page.mouse.down();
    for (let i = 1; i <= steps; i++) {
      const t = i / steps;
      await this.page.mouse.move(start.x + (end.x - start.x) * t, start.y + (end.y - start.y) * t);
      if (pause > 0) await this.page.waitForTimeout(pause);
    }
  }

  // Lets go of the mouse and waits until the app has taken the release.
  async release() {
    await this.page.evaluate(() => { document.getElementById('last-call').textContent = ''; });
    await this.page.mouse.up();
    await this.waitInPage(() => /^touch \{"phase":"(ended|cancelled)"/.test(document.getElementById('last-call').textContent));
  }

  // A drag that comes to a stop before the finger lifts, so the list stays where it was
  // dragged to (a finger still moving when it lifts flings the list on).
  async dragPoints(from, to, steps = 12) {
    await this.pressAndMove(from, to, { steps });
    await this.page.waitForTimeout(250);
    await this.release();
    await this.untilStill();
  }

  // Waits until no list moves any more, as a person waits for a list to stop before
  // tapping a row: a touch on a list that still moves only stops it. The app is asked
  // itself, as the drawn tree can lag behind it.
  async untilStill() {
    await this.until(() => this.page.evaluate(async () => {
      const tree = await (await fetch('/api/tree')).text();
      return !tree.includes('"moving":true');
    }), 'the lists standing still');
  }

  // Waits until the page has drawn what the app shows now: the drawn tree is the app's
  // own tree of this moment (the page draws a revision some milliseconds after the app).
  async untilDrawn() {
    await this.waitInPage(async () => {
      const now = await (await fetch('/api/tree')).json();
      return JSON.stringify(now) === JSON.stringify(window.qelvo.tree);
    }, null, { timeout: 15000 });
  }

  // Where a drawn element shows on the phone, in points, or null when it lies outside
  // the screen or under the tab bar (a list's rows are clipped, not hidden).
  async placeOnPhone(locator, bottom = 519) {
    const box = await locator.boundingBox();
    const phone = await this.page.locator('#phone').boundingBox();
    if (!box || !phone) return null;
    const scale = phone.width / 320;
    const place = { x: (box.x - phone.x) / scale, y: (box.y - phone.y) / scale, width: box.width / scale, height: box.height / scale };
    return place.y >= 64 && place.y + place.height <= bottom ? place : null;
  }

  // The texts of the labels drawn on the phone's screen now (by default below the title
  // bar and above the tab bar, not slid out sideways), top to bottom, one entry a label (its lines joined),
  // read in one go so the page cannot change under the reading.
  textsOnScreen({ top = 64, bottom = 519 } = {}) {
    return this.page.evaluate(([top, bottom]) => {
      const phone = document.getElementById('phone').getBoundingClientRect();
      const scale = phone.width / 320;
      // Faded-out views (a finished progress overlay) stay in the tree with opacity 0.
      const seen = (label) => label.checkVisibility({ checkOpacity: true, checkVisibilityCSS: true });
      return [...document.querySelectorAll('#screen .text')].filter(seen).map((label) => {
        const box = label.getBoundingClientRect();
        return { text: [...label.children].map((line) => line.textContent.trim()).join(''),
          x: (box.left - phone.left) / scale, w: box.width / scale, y: (box.top - phone.top) / scale, h: box.height / scale };
      }).filter((t) => t.h > 0 && t.y >= top && t.y + t.h <= bottom && t.x >= -0.5 && t.x + t.w <= 320.5).sort((a, b) => a.y - b.y).map((t) => t.text);
    }, [top, bottom]);
  }

  // Waits until `predicate`, run in the display page with `arg`, answers something true,
  // and gives that answer. The page's content security policy forbids evaluating strings,
  // which Playwright's own waitForFunction does inside the page, so the predicate runs
  // in a function handed to the page through the automation protocol instead.
  async waitInPage(predicate, arg = null, { timeout = 30000 } = {}) {
    const answer = await this.page.evaluate(`(async (arg) => {
      const predicate = ${predicate};
      const end = performance.now() + ${timeout};
      for (;;) {
        const answer = await predicate(arg);
        if (answer || performance.now() > end) return answer;
        await new Promise((resolve) => requestAnimationFrame(resolve));
      }
    })(${JSON.stringify(arg)})`);
    if (!answer) throw new Error(`not true in ${timeout} ms: ${predicate}`);
    return answer;
  }

  // Asks `check` again until it answers something true, as a person looks again.
  async until(check, what, timeout = 15000) {
    const end = Date.now() + timeout;
    for (;;) {
      const answer = await check();
      if (answer) return answer;
      if (Date.now() > end) throw new Error(`not seen in ${timeout} ms: ${what}`);
      await this.page.waitForTimeout(100);
    }
  }

  tree() { return this.page.evaluate(() => window.qelvo.tree); }

  // Names of the screens in the tree (classes ending in "ViewCon"/"Controller" are not in the
  // tree, so this looks for drawn texts instead): true when `text` is drawn now.
  async shows(text) { return (await this.textCount(text)) > 0; }
}
