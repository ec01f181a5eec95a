// The display under a person's pointer: lists follow it while the button is down, the
// pull-to-refresh header shows its states while pulling, a flung list coasts and stops,
// the advertisement strip settles on a page. Prints how smoothly the page follows a drag.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { Session, sourceDir } from './harness.mjs';

const categories = JSON.parse(readFileSync(path.join(sourceDir, 'demo-service/data/content/courses.json'), 'utf8'))
  .categories.map((category) => category.title);

let s;
before(async () => { s = await Session.open('touch'); });
after(async () => { if (s) await s.close(); });

// Runs in the page: the scroll view found by `wanted` in a tree: the list (a table view)
// under a point of the phone, or the scroll view with a tag.
function findScroll(tree, wanted) {
  let found = null;
  const walk = (node, ox, oy) => {
    if (node.hidden) return;
    const x = ox + node.frame[0];
    const y = oy + node.frame[1];
    const inside = wanted.at && wanted.at[0] >= x && wanted.at[0] < x + node.frame[2] &&
      wanted.at[1] >= y && wanted.at[1] < y + node.frame[3];
    if (wanted.at && !inside) return;
    if (!found && node.contentOffset && (wanted.at ? node.class === 'TableView' : node.tag === wanted.tag)) found = node;
    const offset = node.offset || [0, 0];
    (node.children || []).forEach((child) => walk(child, x - offset[0], y - offset[1]));
  };
  walk(tree.window, 0, 0);
  return found;
}

const drawnScroll = (wanted) => s.page.evaluate(([source, w]) => {
  // eslint-disable-next-line no-new-func
  const find = new Function(`return (${source})`)();
  const node = find(window.qelvo.tree, w);
  return node && { offset: node.contentOffset, inset: node.contentInset, moving: !!node.moving };
}, [findScroll.toString(), wanted]);

const appScroll = (wanted) => s.page.evaluate(async ([source, w]) => {
  const find = new Function(`return (${source})`)();
  const node = find(await (await fetch('/api/tree')).json(), w);
  return node && { offset: node.contentOffset, moving: !!node.moving };
}, [findScroll.toString(), wanted]);

async function serviceRequests(mode) {
  const answer = await (await fetch(`http://127.0.0.1:${s.service.port}/control/requests`)).json();
  return answer.requests.filter((request) => (request.body || '').startsWith(`mode=${mode}`)).length;
}

// Holds the button down on `from` and moves the pointer to `to` at an even speed over
// `ms` milliseconds, one move every 16 ms as a mouse at 60 Hz gives them (sent without
// waiting for the one before, so the automation's own round trips do not slow them).
// With `release` the button comes up right after the last move, while the pointer still
// moves (a flick); else it stays down.
async function sweep(from, to, ms, { release = false } = {}) {
  const start = await s.pagePoint(from);
  const end = await s.pagePoint(to);
  await s.page.mouse.move(start.x, start.y);
  await s.page.mouse.down();
  if (release) await s.page.evaluate(() => { document.getElementById('last-call').textContent = ''; });
  const steps = Math.round(ms / 16);
  const later = (delay, act) => new Promise((resolve, reject) => setTimeout(() => act().then(resolve, reject), delay));
  const moves = [];
  for (let i = 1; i <= steps; i++) {
    const t = i / steps;
    moves.push(later(i * 16, () => s.page.mouse.move(start.x + (end.x - start.x) * t, start.y + (end.y - start.y) * t)));
  }
  if (release) moves.push(later(steps * 16 + 1, () => s.page.mouse.up()));
  await Promise.all(moves);
  if (release) {
    await s.waitInPage(() => /^touch \{"phase":"ended"/.test(document.getElementById('last-call').textContent));
  }
}

const HOME_LIST = { at: [160, 400] };
const STRIP = { tag: 70000 };

test('the home list follows a slow drag frame by frame (figures printed)', async () => {
  await s.waitForText('个人所得税');
  // The first appearance refreshes by itself; the header closes before the request leaves.
  await s.until(async () => (await serviceRequests(2)) >= 1, 'the first home request');
  await s.until(async () => {
    const list = await drawnScroll(HOME_LIST);
    return list && list.inset[0] === 0 && list.offset[1] === 0;
  }, 'the header closed');

  await s.page.evaluate(() => {
    const phone = document.getElementById('phone');
    const probe = { moves: [], draws: [] };
    window.qelvo.probe = probe;
    phone.addEventListener('pointermove', (event) => {
      const box = phone.getBoundingClientRect();
      probe.moves.push({ t: performance.now(), y: (event.clientY - box.top) * 320 / box.width });
    });
    window.qelvo.onDraw = () => probe.draws.push({ t: performance.now() });
  });
  const start = await drawnScroll(HOME_LIST);
  await sweep([160, 470], [160, 170], 1500);
  const drawnWhileDown = await drawnScroll(HOME_LIST);
  await s.page.waitForTimeout(250);
  await s.release();
  await s.untilStill();
  const probe = await s.page.evaluate(() => {
    window.qelvo.onDraw = null;
    return window.qelvo.probe;
  });
  const list = await appScroll(HOME_LIST);
  assert.ok(drawnWhileDown.offset[1] > start.offset[1] + 250, 'the page showed the list moved while the button was down');
  assert.ok(Math.abs(list.offset[1] - 300) < 2, `the list moved with the pointer, one to one: ${list.offset[1]}`);

  // Frames: the page's drawings between the first and the last move. Delay: from each move
  // past the slop to the first drawing whose list offset shows it.
  const first = probe.moves[0];
  const last = probe.moves[probe.moves.length - 1];
  const drawn = probe.draws.filter((d) => d.t >= first.t && d.t <= last.t).length;
  const fps = drawn / ((last.t - first.t) / 1000);
  console.log(`while dragging: ${fps.toFixed(1)} frames drawn per second (${drawn} in ${(last.t - first.t).toFixed(0)} ms, ${probe.moves.length} pointer moves)`);
  await s.screenshot('dragged');
  assert.deepEqual(s.errors, []);
});

test('a pointer move shows on the page quickly (figure printed)', async () => {
  // Offsets drawn at each drawing, read from the drawn tree; the list follows one to one.
  await s.page.evaluate(([source]) => {
    const find = new Function(`return (${source})`)();
    const phone = document.getElementById('phone');
    const probe = { moves: [], draws: [] };
    window.qelvo.probe = probe;
    phone.addEventListener('pointermove', (event) => {
      const box = phone.getBoundingClientRect();
      probe.moves.push({ t: performance.now(), y: (event.clientY - box.top) * 320 / box.width });
    });
    window.qelvo.onDraw = (tree) => {
      const node = find(tree, { at: [160, 400] });
      if (node) probe.draws.push({ t: performance.now(), offset: node.contentOffset[1] });
    };
  }, [findScroll.toString()]);
  const start = await appScroll(HOME_LIST);
  await sweep([160, 170], [160, 470], 1500);
  await s.page.waitForTimeout(250);
  await s.release();
  await s.untilStill();
  const probe = await s.page.evaluate(() => {
    window.qelvo.onDraw = null;
    return window.qelvo.probe;
  });
  const downAt = probe.moves[0].y;
  const delays = [];
  for (const move of probe.moves) {
    if (Math.abs(move.y - downAt) < 15) continue; // within the slop, nothing moves yet
    const wanted = start.offset[1] - (move.y - downAt);
    const shown = probe.draws.find((d) => d.t >= move.t && d.offset <= wanted + 0.5);
    if (shown) delays.push(shown.t - move.t);
  }
  delays.sort((a, b) => a - b);
  assert.ok(delays.length > probe.moves.length / 2, `most moves were seen drawn (${delays.length} of ${probe.moves.length})`);
  const median = delays[Math.floor(delays.length / 2)];
  const p90 = delays[Math.floor(delays.length * 0.9)];
  console.log(`pointer move to drawn offset: median ${median.toFixed(1)} ms, 90th percentile ${p90.toFixed(1)} ms over ${delays.length} moves`);
  const list = await appScroll(HOME_LIST);
  assert.equal(list.offset[1], 0, 'back at the top');
});

test('pulling the home list down slowly shows the header\'s states, and letting go refreshes', async () => {
  const requestsBefore = await serviceRequests(2);
  // The button goes down on the list and pulls it, a little at a time, looking each time.
  const from = await s.pagePoint([160, 240]);
  await s.page.mouse.move(from.x, from.y);
  await s.page.mouse.down();
  const seen = [];
  for (let y = 245; y <= 460; y += 5) {
    const at = await s.pagePoint([160, y]);
    await s.page.mouse.move(at.x, at.y);
    await s.page.waitForTimeout(40);
    const texts = await s.textsOnScreen();
    const status = texts.find((t) => t === '下拉刷新...' || t === '释放立即刷新...');
    const list = await drawnScroll(HOME_LIST);
    if (status && (seen.length === 0 || seen[seen.length - 1].status !== status)) {
      seen.push({ status, offset: list.offset[1] });
      await s.screenshot(status === '下拉刷新...' ? 'pull-normal' : 'pull-pulling');
    }
  }
  assert.deepEqual(seen.map((entry) => entry.status), ['下拉刷新...', '释放立即刷新...'],
    `the header's status while the button is down: ${JSON.stringify(seen)}`);
  assert.ok(seen[0].offset > -65, 'pull down to refresh, before 65 points');
  assert.ok(seen[1].offset <= -65, 'release to refresh, past 65 points');
  await s.page.waitForTimeout(250);
  await s.release();
  await s.waitForText('正在刷新...');
  await s.screenshot('pull-loading');
  await s.until(async () => (await serviceRequests(2)) > requestsBefore, 'the home request at the demo service');
  await s.until(async () => !(await s.shows('正在刷新...')), 'the header closed again');
});

test('the advertisement strip dragged halfway and let go settles on a page', async () => {
  await s.untilStill();
  const before = await appScroll(STRIP);
  assert.equal(before.offset[0] % 320, 0);
  await s.pressAndMove([250, 140], [90, 140], { steps: 16, pause: 30 });
  await s.untilDrawn();
  const partway = await drawnScroll(STRIP);
  assert.ok(partway.offset[0] > before.offset[0] + 100 && partway.offset[0] < before.offset[0] + 220,
    `the strip stood between two pictures while held: ${partway.offset[0]}`);
  await s.screenshot('strip-partway');
  await s.page.waitForTimeout(200);
  await s.release();
  await s.untilStill();
  const after = await appScroll(STRIP);
  assert.equal(after.offset[0] % 320, 0, `settled on a page: ${after.offset[0]}`);
  await s.until(async () => (await drawnScroll(STRIP)).offset[0] === after.offset[0], 'the page drawing the settled strip');
  const dots = await s.page.evaluate(() => {
    let pages = null;
    const walk = (n) => { if (n.class === 'PageControl') pages = n; (n.children || []).forEach(walk); };
    walk(window.qelvo.tree.window);
    return pages && pages.current;
  });
  assert.equal(dots, after.offset[0] / 320, 'the page dots follow');
  assert.ok(await s.shows('个人所得税'), 'still on the home page: the picture under the pointer was not tapped');
});

test('a flung catalogue keeps moving after the release and stops by itself', async () => {
  await s.clickTab('微课程');
  // The home page stays drawn until the tap is handled, and it shows some of these titles too.
  await s.until(async () => (await s.textsOnScreen()).slice(0, 2).join() === categories.slice(0, 2).join(),
    'the first page of categories');
  // Its first appearance refreshes it: the header holds the list open for 2 seconds.
  const list = { at: [160, 300] };
  await s.until(async () => {
    const shown = await drawnScroll(list);
    return shown && shown.inset[0] === 0 && shown.offset[1] === 0 && !(await s.shows('正在刷新...'));
  }, 'the catalogue\'s header closed');
  const before = await appScroll(list);
  // A short quick stroke: the list coasts for seconds and stops within its length.
  await sweep([160, 420], [160, 360], 100, { release: true });
  const released = await appScroll(list);
  await s.page.waitForTimeout(150);
  const later = await appScroll(list);
  assert.ok(released.moving, 'still moving when the button came up');
  assert.ok(later.offset[1] > released.offset[1] + 5,
    `it kept moving after the release: ${released.offset[1]} then ${later.offset[1]}`);
  await s.screenshot('fling');
  await s.until(async () => !(await appScroll(list)).moving, 'the list at rest', 8000);
  const rest = await appScroll(list);
  assert.ok(rest.offset[1] > before.offset[1] + 60 + 100, `it went on past where the pointer let go: ${rest.offset[1]}`);
  await s.page.waitForTimeout(300);
  assert.deepEqual((await appScroll(list)).offset, rest.offset, 'and stays there');
  assert.deepEqual(s.errors, []);
});
