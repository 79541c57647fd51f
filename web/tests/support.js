// What the web tests share: where the build is, the site served on 127.0.0.1, and Debian's
// headless Chromium driven by puppeteer-core (which downloads no browser), with every request
// that would leave the page's origin refused and recorded.
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const {serve} = require('../serve.js');

const kRepository = path.resolve(__dirname, '..', '..');
const kBuild = process.env.RIVO_WEB_BUILD || path.join(kRepository, 'build-web');
const kSite = path.join(kBuild, 'site');
// scripts/web.sh names the desktop build's probe; a native core-only tree under the web build
// is the fallback.
const kProbe = process.env.RIVO_NUMBER_PROBE ||
    path.join(kBuild, 'native', 'web', 'rivo-number-probe');

// The desktop's rivo-cli, the reference of the page's truth sets (scripts/web.sh names it when it
// has a desktop build).
const kCli = process.env.RIVO_CLI || '';

const kBrowsers = ['/usr/bin/chromium-headless-shell', '/usr/bin/chromium'];

function browserPath() {
  const found = kBrowsers.find((file) => fs.existsSync(file));
  if (!found) throw new Error(`no browser: install chromium-headless-shell (${kBrowsers})`);
  return found;
}

// A fresh browser with a profile of its own, removed on close.
async function launchBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'rivo-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: browserPath(),
    headless: 'shell',
    userDataDir: profile,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
      '--no-first-run',
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, {recursive: true, force: true});
  };
  return browser;
}

// Whether a request stays with the page: files for a page from the file system, the served
// origin for a served page, and data: URLs, which carry their content (the module reads its
// inlined WebAssembly so). Everything else would leave the machine or the site.
function staysHome(url, origin) {
  if (url.startsWith('data:')) return true;
  if (origin === 'file:') return url.startsWith('file:');
  return new URL(url).origin === origin;
}

// A page of the browser whose requests outside `origin` ('file:' or the served origin) are
// aborted and collected in page.foreign; console errors and page errors go to page.problems.
// With bypassPolicy the page's Content-Security-Policy is ignored, to show that the
// interception alone catches what the policy would have refused.
async function openPage(browser, url, {bypassPolicy = false} = {}) {
  const origin = url.startsWith('file:') ? 'file:' : new URL(url).origin;
  const page = await browser.newPage();
  await page.setBypassCSP(bypassPolicy);
  page.foreign = [];
  page.problems = [];
  await page.setRequestInterception(true);
  page.on('request', (request) => {
    if (staysHome(request.url(), origin)) {
      request.continue();
    } else {
      page.foreign.push(request.url());
      request.abort('blockedbyclient');
    }
  });
  page.on('console', (message) => {
    if (message.type() === 'error') page.problems.push(message.text());
  });
  page.on('pageerror', (error) => page.problems.push(String(error)));
  await page.goto(url, {waitUntil: 'load'});
  await page.waitForSelector('body[data-ready="true"]', {timeout: 20000});
  return page;
}

module.exports = {kBuild, kCli, kSite, kProbe, launchBrowser, openPage, serve};
