// Opens the page that bench/PageBench.cpp exported and, as the baseline, the
// same entries as one plain listing, each in a fresh headless Chromium
// (median of 3), and reports: the page's first paint with its tree and list
// (from the start of navigation to the first frame after the page says it
// is ready), the listing's first paint and load, and searches over every
// entry (from the key to the next frame, hits drawn).
// Usage: node page-bench.js PAGE.html LISTING.txt  (NODE_PATH: puppeteer-core)
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const [pageFile, listingFile] = process.argv.slice(2).map((f) => path.resolve(f));
const RUNS = 3;
const SEARCHES = ['report', 'IMG_0123', '*.flac', '写真_00??.jpg', 'zzzz'];

async function withBrowser(work) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'cataloom-bench-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CATALOOM_CHROMIUM || '/usr/bin/chromium',
    ignoreDefaultArgs: true,
    pipe: true,
    protocolTimeout: 120000,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--user-data-dir=' + profile, 'about:blank'],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1200, height: 700 });
    return await work(page);
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function openPage(page) {
  await page.goto('file://' + pageFile, { waitUntil: 'domcontentloaded', timeout: 120000 });
  const ready = await page.waitForFunction(
    () => document.body.dataset.state !== 'loading' &&
      new Promise((resolve) => requestAnimationFrame(() => resolve([document.body.dataset.state, performance.now()]))),
    { timeout: 120000 });
  const [state, at] = await ready.jsonValue();
  if (state !== 'ready') throw new Error('the page did not open: ' + state);
  return at;
}

async function searchOnce(page, pattern) {
  return page.evaluate((text) => new Promise((resolve) => {
    const box = document.getElementById('search');
    box.value = text;
    const start = performance.now();
    box.dispatchEvent(new KeyboardEvent('keydown', { key: 'Enter' }));
    requestAnimationFrame(() => resolve([performance.now() - start, document.getElementById('count').textContent]));
  }), pattern);
}

async function main() {
  const paints = [], searches = Object.fromEntries(SEARCHES.map((s) => [s, []])), hits = {};
  for (let run = 0; run < RUNS; run++) {
    await withBrowser(async (page) => {
      paints.push(await openPage(page));
      for (const pattern of SEARCHES) {
        const [ms, count] = await searchOnce(page, pattern);
        searches[pattern].push(ms);
        hits[pattern] = count;
      }
    });
  }
  const listingPaints = [], listingLoads = [];
  for (let run = 0; run < RUNS; run++) {
    await withBrowser(async (page) => {
      await page.goto('file://' + listingFile, { waitUntil: 'load', timeout: 120000 });
      const [paint, load] = await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => {
        const fcp = performance.getEntriesByName('first-contentful-paint')[0];
        resolve([fcp ? fcp.startTime : NaN, performance.getEntriesByType('navigation')[0].loadEventEnd]);
      })));
      listingPaints.push(paint);
      listingLoads.push(load);
    });
  }
  const all = [].concat(...Object.values(searches));
  console.log(`chromium first paint of the page (tree and list)  ${median(paints).toFixed(0)} ms (target < 2000 ms)`);
  console.log(`chromium listing as text: first paint ${median(listingPaints).toFixed(0)} ms, load ${median(listingLoads).toFixed(0)} ms (baseline)`);
  for (const pattern of SEARCHES)
    console.log(`search ${JSON.stringify(pattern).padEnd(16)} ${median(searches[pattern]).toFixed(0).padStart(5)} ms, ${hits[pattern]}`);
  console.log(`search, slowest of the medians  ${Math.max(...SEARCHES.map((s) => median(searches[s]))).toFixed(0)} ms (target < 300 ms); slowest single ${Math.max(...all).toFixed(0)} ms`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
