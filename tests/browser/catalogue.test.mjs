// The "微课程" catalogue: scrolled by dragging the list in the page, its footer's
// "加载更多" tapped until the last page of categories is shown.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { Session, sourceDir } from './harness.mjs';

const categories = JSON.parse(readFileSync(path.join(sourceDir, 'demo-service/data/content/courses.json'), 'utf8'))
  .categories.map((c) => c.title);

let s;
before(async () => { s = await Session.open('catalogue'); });
after(async () => { if (s) await s.close(); });

test('dragging the catalogue and tapping "加载更多" reaches its last page, in order', async () => {
  await s.waitForText('个人所得税');
  await s.clickTab('微课程');
  // The home page stays drawn until the tap is handled, and it shows some of these titles too.
  await s.until(async () => (await s.textsOnScreen()).slice(0, 2).join() === categories.slice(0, 2).join(),
    'the first page of categories');
  await s.screenshot('first-page');

  const seen = [];
  const note = (texts) => texts.filter((t) => categories.includes(t) && !seen.includes(t)).forEach((t) => seen.push(t));
  note(await s.textsOnScreen());
  let loads = 0;
  for (let step = 0; step < 60 && !seen.includes(categories[categories.length - 1]); step++) {
    const footer = s.textLocator('加载更多');
    if ((await footer.count()) > 0 && (await s.placeOnPhone(footer, 505))) {
      const rowsBefore = seen.length;
      await s.screenshot(`footer-${loads + 1}`);
      await s.clickText('加载更多');
      loads++;
      // The next page's first category is drawn under the last one shown.
      await s.waitInPage((title) => JSON.stringify(window.qelvo.tree).includes(title), categories[rowsBefore], { timeout: 15000 });
    }
    await s.dragPoints([160, 440], [160, 240]);
    await s.untilDrawn();
    note(await s.textsOnScreen());
  }
  await s.screenshot('last-page');
  assert.deepEqual(seen, categories, 'every category was shown once, in the service\'s order');
  assert.equal(loads, Math.ceil(categories.length / 10) - 1, 'one "加载更多" a page after the first');

  // The last page has no footer any more, however far the list is dragged.
  await s.dragPoints([160, 440], [160, 240]);
  await s.untilDrawn();
  assert.equal(await s.shows('加载更多'), false);
  assert.deepEqual(s.errors, []);
});
