// "找课程": a key typed in the field and searched, its results, back, the key offered
// again as a history row under the field, and a second search from that row.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { Session, sourceDir } from './harness.mjs';

const courses = JSON.parse(readFileSync(path.join(sourceDir, 'demo-service/data/content/courses.json'), 'utf8'))
  .categories.flatMap((c) => c.courses);
const key = '发票';
const expected = courses.filter((c) => c.title.includes(key) || (c.info || '').includes(key)).map((c) => c.title);
const placeholder = '请输入课程名称或关键字';

let s;
before(async () => { s = await Session.open('search'); });
after(async () => { if (s) await s.close(); });

// The course a drawn title stands for (long titles are cut and end in "...").
const courseShown = (shown) => {
  const start = shown.replace(/(\.\.\.|…)$/, '');
  return expected.find((t) => t === shown || (start !== shown && start.length >= 4 && t.startsWith(start)));
};

async function resultsShown() {
  return s.until(async () => {
    const texts = await s.textsOnScreen();
    // The search screen slides away under the results; only the results screen counts.
    if (texts.includes('搜索') || texts.includes('加载中...')) return null;
    const titles = texts.map(courseShown).filter(Boolean);
    return titles.length >= 3 && titles;
  }, `results for ${key}`);
}

test('a typed search lists its courses, and the key comes back as a history row that searches again', async () => {
  assert.ok(expected.length >= 3, 'the key finds a few courses');
  await s.waitForText('个人所得税');
  await s.clickTab('找课程');
  await s.focusField(placeholder);
  await s.page.keyboard.type(key);
  await s.waitForText(key);
  await s.screenshot('typed');
  await s.clickText('搜索');

  const first = await resultsShown();
  assert.deepEqual(first, expected.slice(0, first.length), 'the courses holding the key, in the service\'s order');
  await s.screenshot('results');

  await s.clickText('返回');
  await s.until(async () => {
    const texts = await s.textsOnScreen({ top: 20 });
    return texts.includes('找课程') && !texts.includes('返回');
  }, 'the search screen again');
  assert.equal((await s.textsOnScreen()).includes(key), false, 'no history row before the field is tapped');
  // Tapping the field again shows the searches made so far under it.
  await s.clickPoint(120, 92);
  await s.page.locator('#screen .field .caret').waitFor({ timeout: 10000 });
  await s.until(async () => (await s.textsOnScreen()).includes(key), 'the history row');
  assert.equal(await s.shows('清空历史'), true);
  await s.screenshot('history');

  await s.clickShown(key, { top: 110 }); // the row, not the field above it
  const second = await resultsShown();
  assert.deepEqual(second, first, 'the history row searches the same key');
  await s.screenshot('results-again');
  assert.deepEqual(s.errors, []);
});
