// The "资讯" tab: a row of the first channel opens its article in the web view, and
// back returns to the list.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { Session, sourceDir } from './harness.mjs';

const channels = JSON.parse(readFileSync(path.join(sourceDir, 'demo-service/data/content/news.json'), 'utf8')).channels;

let s;
before(async () => { s = await Session.open('news'); });
after(async () => { if (s) await s.close(); });

// The article a drawn row title stands for (long titles are cut and end in "...").
function articleTitled(shown) {
  const start = shown.replace(/(\.\.\.|…)$/, '');
  if (start.length < 4) return null;
  return channels[0].articles.find((a) => a.title === shown || (shown !== start && a.title.startsWith(start))) || null;
}

test('a news row opens the article page in the web view, and back returns to the rows', async () => {
  await s.waitForText('个人所得税');
  await s.clickTab('资讯');
  await s.waitForText(channels[0].title, 15000);
  // The rows under the headline pictures; the last one fully on screen is tapped.
  const shown = await s.until(async () => {
    const rows = (await s.textsOnScreen()).filter((t) => articleTitled(t));
    return rows.length >= 2 && rows;
  }, 'the channel\'s rows');
  const row = shown[shown.length - 1];
  const article = articleTitled(row);
  await s.screenshot('rows');

  await s.clickText(row);
  const frame = s.page.locator('#screen iframe.web');
  await frame.waitFor({ timeout: 15000 });
  const address = decodeURIComponent(await frame.getAttribute('data-src'));
  assert.match(address, /newsDetail\.aspx\?docId=(\d+)&from=iOS/);
  assert.equal(address.match(/docId=(\d+)/)[1], article.id, 'the page of the tapped row');
  const page = s.page.frameLocator('#screen iframe.web');
  await page.locator(`text=${article.title}`).first().waitFor({ timeout: 15000 });
  assert.ok((await page.locator('body').textContent()).includes(article.body[0].slice(0, 20)), 'the article\'s text is in the page');
  await s.screenshot('article');

  await s.clickText('返回');
  await frame.waitFor({ state: 'detached', timeout: 10000 });
  await s.until(async () => (await s.textsOnScreen()).includes(row), 'the rows again');
  assert.deepEqual(s.errors, []);
});
