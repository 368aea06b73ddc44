// The exported page as a person sees it in Chromium: the tree, a
// directory's rows, sorting, the search and its hits, a click on a hit, and
// a catalogue of hostile names shown as text with no script run.  Pages and
// browser come from page-test.sh.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const pages = process.env.CATALOOM_PAGES;
let browser, profile;

before(async () => {
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'cataloom-chromium-'));
  browser = await puppeteer.launch({
    executablePath: process.env.CATALOOM_CHROMIUM,
    ignoreDefaultArgs: true,
    pipe: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--user-data-dir=' + profile, 'about:blank'],
  });
});

after(async () => {
  if (browser) await browser.close();
  fs.rmSync(profile, { recursive: true, force: true });
});

// Opens a page in Tokyo time and records what must never happen on it:
// any request but the page itself, a dialog, a script error, a blocked
// script or style.
async function open(file) {
  const page = await browser.newPage();
  await page.emulateTimezone('Asia/Tokyo');
  await page.setViewport({ width: 1200, height: 700 });
  const url = 'file://' + path.join(pages, file);
  const seen = { requests: [], dialogs: [], errors: [] };
  page.on('request', (r) => { if (r.url() !== url) seen.requests.push(r.url()); });
  page.on('dialog', (d) => { seen.dialogs.push(d.message()); d.dismiss(); });
  page.on('pageerror', (e) => seen.errors.push(e.message));
  await page.evaluateOnNewDocument(() => {
    window.violations = [];
    document.addEventListener('securitypolicyviolation', (e) => window.violations.push(e.violatedDirective));
  });
  await page.goto(url);
  await page.waitForSelector('body[data-state="ready"]', { timeout: 20000 });
  page.clean = async () => {
    assert.deepEqual(seen, { requests: [], dialogs: [], errors: [] });
    assert.deepEqual(await page.evaluate(() => window.violations), []);
    await page.close();
  };
  return page;
}

const tree = (page) => page.$$eval('#tree .row', (rows) =>
  rows.sort((a, b) => a.dataset.index - b.dataset.index).map((r) => r.querySelector('.label').textContent));
const selectedInTree = (page) => page.$$eval('#tree .row.selected .label', (rows) => rows.map((r) => r.textContent));
const rows = (page) => page.$$eval('#list .row', (all) =>
  all.sort((a, b) => a.dataset.index - b.dataset.index).map((r) => [...r.children].map((c) => c.textContent)));
const text = (page, selector) => page.$eval(selector, (e) => e.textContent);

async function treeRow(page, label) {
  const handles = await page.$$('#tree .row');
  for (const h of handles) if ((await h.$eval('.label', (e) => e.textContent)) === label) return h;
  throw new Error('no tree row ' + label + ' in ' + (await tree(page)).join(', '));
}
const toggle = async (page, label) => (await (await treeRow(page, label)).$('.toggle')).click();
const select = async (page, label) => (await (await treeRow(page, label)).$('.label')).click();
async function search(page, pattern) {
  await page.$eval('#search', (e) => { e.value = ''; });
  await page.type('#search', pattern);
  await page.keyboard.press('Enter');
}

test('the tree: the data folder with its categories, catalogues and directories', async () => {
  const page = await open('folder.html');
  assert.deepEqual(await tree(page), ['data', 'other', '棚']);
  assert.deepEqual(await rows(page), [['other', '', '', 'category', ''], ['棚', '', '', 'category', '']]);
  await toggle(page, '棚');
  assert.deepEqual(await tree(page), ['data', 'other', '棚', 'Disc, one', 'ディスク']);
  await toggle(page, 'ディスク');
  await toggle(page, '写真');
  assert.deepEqual(await tree(page), ['data', 'other', '棚', 'Disc, one', 'ディスク', '写真', '旅行']);
  await toggle(page, '棚');
  assert.deepEqual(await tree(page), ['data', 'other', '棚']);
  assert.equal(await text(page, '#status'), '4 catalogues, 3,021 entries on this page');
  await page.clean();
});

test('a directory\'s rows: exact names, sizes, types and ISO 8601 times, local and UTC on hover', async () => {
  const page = await open('folder.html');
  await toggle(page, '棚');
  await select(page, 'Disc, one');
  assert.deepEqual(await rows(page), [
    ['a,b.txt', '', '1', 'txt file', '2014-11-14 20:41:59'],
    ['line\\x0abreak', '', '3', 'file', ''],
    ['say "hi".txt', '', '2', 'txt file', '2014-11-14 20:41:59'],
    ['whole', '', '4', 'file', '2000-02-29 21:34:56'],
    ['ソ', '', '10', 'directory', '2014-11-14 20:41:59'],
  ]);
  assert.equal(await page.$eval('#list .row[data-index="3"] > span:last-child', (e) => e.title),
    'local: 2000-02-29T21:34:56+09:00\nUTC: 2000-02-29T12:34:56Z');
  assert.equal(await text(page, '#info'),
    'Catalogue Disc, one (棚/awkward.vmf): 1 directory, 5 files, 20 bytes\n' +
    'Volume: 4,294,967,296 bytes used, 591,751,049 bytes free of 4,886,718,345 (NTFS)\n' +
    'Captured 2022-11-24 21:26:38');
  assert.equal(await text(page, '#count'), '5 items');
  // A directory row opens the directory.
  await page.$$eval('#list .row', (all) => all.find((r) => r.firstChild.textContent === 'ソ')
    .dispatchEvent(new MouseEvent('dblclick', { bubbles: true })));
  assert.deepEqual(await rows(page), [['表.txt', '', '10', 'txt file', '1601-01-01 09:18:59']]);
  assert.deepEqual(await selectedInTree(page), ['ソ']);
  await page.clean();
});

test('a long directory: only the rows in view exist; sorting by each column, both ways', async () => {
  const page = await open('folder.html');
  await toggle(page, 'other');
  await toggle(page, 'long');
  await select(page, 'many');
  assert.equal(await text(page, '#count'), '3,000 items');
  const drawn = (await rows(page)).length;
  assert.ok(drawn > 10 && drawn < 40, drawn + ' rows in the document');
  assert.deepEqual((await rows(page))[0], ['file0000.txt', '', '0', 'txt file', '2022-11-24 21:26:38']);
  // The sizes and times are permutations: (i * 7919) % 3001 bytes and
  // (i * 104729) % 3000 seconds after the first time.
  const largest = [...Array(3000).keys()].find((i) => (i * 7919) % 3001 === 3000);
  const latest = [...Array(3000).keys()].find((i) => (i * 104729) % 3000 === 2999);
  const name = (i) => 'file' + String(i).padStart(4, '0') + (i % 3 === 0 ? '.txt' : '.dat');
  const first = async () => (await rows(page))[0][0];
  const cases = [
    ['Size', 'ascending', name(0)], ['Size', 'descending', name(largest)],
    ['Modified', 'ascending', name(0)], ['Modified', 'descending', name(latest)],
    ['Name', 'ascending', 'file0000.txt'], ['Name', 'descending', 'file2999.dat'],
    ['Type', 'ascending', 'file0001.dat'], ['Type', 'descending', 'file0000.txt'],
  ];
  for (const [column, order, expected] of cases) {
    const button = await page.$(`#columns button[data-key="${{ Size: 'size', Modified: 'time', Name: 'name', Type: 'type' }[column]}"]`);
    const current = await button.evaluate((b) => b.getAttribute('aria-sort'));
    if (current !== order) await button.click();
    if ((await button.evaluate((b) => b.getAttribute('aria-sort'))) !== order) await button.click();
    assert.equal(await button.evaluate((b) => b.getAttribute('aria-sort')), order, column);
    assert.equal(await first(), expected, column + ' ' + order);
  }
  // Scrolled to the end, the last rows are drawn instead of the first.
  await page.$eval('#list', (e) => { e.scrollTop = e.scrollHeight; e.dispatchEvent(new Event('scroll')); });
  const last = await rows(page);
  assert.equal(last[last.length - 1][0], 'file2999.dat');
  assert.ok(last.length < 40);
  await page.clean();
});

test('the search: every catalogue, substring or whole name with * and ?, case ignored', async () => {
  const page = await open('folder.html');
  const cases = [
    ['FILE29', '100 hits', ['file2900.dat', 'other/long/many']],
    ['.txt', '1,003 hits', ['file0000.txt', 'other/long/many']],
    ['*.TXT', '1,003 hits', ['file0000.txt', 'other/long/many']],
    ['say*', '1 hit', ['say "hi".txt', '棚/Disc, one']],
    ['file29?0.*', '10 hits', ['file2900.dat', 'other/long/many']],
    ['FILE29*', '100 hits', ['file2900.dat', 'other/long/many']],
    ['*0.dat', '200 hits', ['file0010.dat', 'other/long/many']],
    ['**', '3,021 hits', ['"><img src=x onerror="window.pwned=2">', 'other/<i>cat<\\x2fi>"\'']],
    ['京', '1 hit', ['京都.jpg', '棚/ディスク/写真/旅行']],
    ['京*', '1 hit', ['京都.jpg', '棚/ディスク/写真/旅行']],
    ['jpg?', '0 hits', undefined],
    ['?', '1 hit', ['ソ', '棚/Disc, one']],
    ['表', '1 hit', ['表.txt', '棚/Disc, one/ソ']],
    ['(', '0 hits', undefined],
    ['"hi"', '1 hit', ['say "hi".txt', '棚/Disc, one']],
  ];
  for (const [pattern, count, firstHit] of cases) {
    await search(page, pattern);
    assert.equal(await text(page, '#count'), count, pattern);
    const found = await rows(page);
    assert.deepEqual(found.length ? found[0].slice(0, 2) : undefined, firstHit, pattern);
  }
  // Emptied, the box gives the list back.
  await search(page, '');
  assert.equal(await text(page, '#count'), '2 items');
  await page.clean();
});

test('a click on a hit shows it in the tree; a double click lists its directory', async () => {
  const page = await open('folder.html');
  await search(page, 'file2950');
  assert.equal(await text(page, '#count'), '1 hit');
  await page.click('#list .row');
  assert.deepEqual(await selectedInTree(page), ['many']);
  assert.deepEqual(await tree(page), ['data', 'other', '<i>cat<\\x2fi>"\'', 'long', 'many', '棚']);
  await page.click('#list .row', { count: 2 });
  assert.equal(await text(page, '#count'), '3,000 items');
  const selected = await page.$$eval('#list .row.selected', (all) => all.map((r) => r.firstChild.textContent));
  assert.deepEqual(selected, ['file2950.dat']);
  await page.clean();
});

test('hostile names are shown as text: no markup, no script, nothing blocked', async () => {
  const page = await open('folder.html');
  await toggle(page, 'other');
  await select(page, '<i>cat<\\x2fi>"\'');
  // Names in their visible form, as every export writes damaged ones: "/"
  // and control characters as \xHH.
  assert.deepEqual((await rows(page)).map((r) => r[0]), [
    '"><img src=x onerror="window.pwned=2">', '&lt;amp&amp;', '\' onmouseover=\'window.pwned=5',
    '<!--', '<\\x2fscript><script>window.pwned=3<\\x2fscript>', '<b>dir<\\x2fb>', '<script>window.pwned=1<\\x2fscript>', ']]>',
    'ctl\\x01\\x1b[31mred\\x7f', 'javascript:window.pwned=4',
  ]);
  assert.match(await text(page, '#info'), /^Catalogue <i>cat<\\x2fi>"' \(other\/hostile-markup\.vmf\): .*\(<svg onload=x>\)/s);
  // Every row hovered and clicked, and a hostile directory opened.
  for (const row of await page.$$('#list .row')) await row.click();
  await page.$$eval('#list .row', (all) => all.find((r) => r.firstChild.textContent === '<b>dir<\\x2fb>')
    .dispatchEvent(new MouseEvent('dblclick', { bubbles: true })));
  assert.deepEqual((await rows(page)).map((r) => r[0]), ['<style>*{display:none}<\\x2fstyle>']);
  await search(page, '<script>');
  assert.equal(await text(page, '#count'), '2 hits');
  assert.deepEqual((await rows(page)).map((r) => r.slice(0, 2)), [
    ['<\\x2fscript><script>window.pwned=3<\\x2fscript>', 'other/<i>cat<\\x2fi>"\''],
    ['<script>window.pwned=1<\\x2fscript>', 'other/<i>cat<\\x2fi>"\''],
  ]);
  assert.deepEqual(await page.evaluate(() => ({
    pwned: typeof window.pwned,
    elements: [...document.body.querySelectorAll('img, svg, i, b, style, iframe, a')].length,
    scripts: document.scripts.length,
    visible: getComputedStyle(document.getElementById('list')).display,
  })), { pwned: 'undefined', elements: 0, scripts: 1, visible: 'block' });
  await page.clean();
});

test('one catalogue alone: its own tree; the page allows only its own script and style', async () => {
  const page = await open('single.html');
  assert.deepEqual(await tree(page), ['Disc, one', 'ソ']);
  assert.equal(await text(page, '#count'), '5 items');
  const policy = await page.$eval('meta[http-equiv="Content-Security-Policy"]', (m) => m.content);
  assert.match(policy, /^default-src 'none'; script-src 'sha256-[A-Za-z0-9+/]{43}='; style-src 'sha256-[A-Za-z0-9+/]{43}='; img-src 'none'; base-uri 'none'; form-action 'none'$/);
  // A script the page did not bring is refused.
  const ran = await page.evaluate(() => new Promise((resolve) => {
    const s = document.createElement('script');
    s.textContent = 'window.injected = 1';
    document.addEventListener('securitypolicyviolation', () => resolve(window.injected), { once: true });
    document.body.append(s);
  }));
  assert.equal(ran, undefined);
  await page.evaluate(() => { window.violations = []; });
  await page.clean();
});
