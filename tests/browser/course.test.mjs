// A course from a home tile: its page in the web view, a link in the page handled by
// the app, a tap on the favourite button, and back.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { Session } from './harness.mjs';

let s;
before(async () => { s = await Session.open('course'); });
after(async () => { if (s) await s.close(); });

test('a tile opens the course page, whose login link the app follows, and back returns home', async () => {
  await s.waitForText('个人所得税');
  await s.clickPoint(60, 280); // the first tile of the first section
  const frame = s.page.locator('#screen iframe.web');
  await frame.waitFor({ timeout: 15000 });
  assert.match(await frame.getAttribute('data-src'), /courseDetail\.aspx/);
  const course = s.page.frameLocator('#screen iframe.web');
  await course.locator('text=个人所得税综合所得汇算清缴入门').first().waitFor({ timeout: 15000 });
  await s.screenshot('course-page');

  // The page's login link goes to the app, which opens its login screen.
  await s.clickInWebPage(course.locator('a', { hasText: '登录' }).first());
  await s.waitForText('用户名');
  await s.screenshot('login-from-page');
  await s.clickText('返回');
  await frame.waitFor({ timeout: 10000 });
  await s.textLocator('用户名').waitFor({ state: 'detached', timeout: 10000 });

  // The favourite button takes the tap and the app says so in a toast drawn in the page.
  assert.equal(await s.shows('收藏成功'), false);
  await s.clickPoint(292, 42);
  await s.waitForText('收藏成功');
  await s.screenshot('favourite');
  assert.equal(await s.page.locator('#alert-layer .alert').isVisible(), false, 'a favourite needs no login');

  await s.clickText('返回');
  await s.waitForText('增值税');
  await s.page.locator('#screen iframe.web').waitFor({ state: 'detached', timeout: 5000 });
  assert.deepEqual(s.errors, []);
});
