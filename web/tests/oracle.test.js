// The page's truth sets are the desktop's: random expressions in both notations, typed into the
// page (Venn layouts, which draw every zone), against `rivo-cli zones` of the desktop build; the
// set-notation ones also against a reference evaluation by circle membership written here.
'use strict';

const assert = require('node:assert/strict');
const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const {after, before, test} = require('node:test');
const {pathToFileURL} = require('node:url');

const {kCli, kSite, launchBrowser, openPage} = require('./support.js');

// A fixed-seed stream (a linear congruential generator is enough to pick tokens).
function generator(seed) {
  let state = seed >>> 0;
  const below = (n) => {
    state = (Math.imul(state, 1664525) + 1013904223) >>> 0;
    return Math.floor((state / 2 ** 32) * n);
  };
  return {below, pick: (items) => items[below(items.length)]};
}

const kLetters = 'ABCDE';

// A random set-notation tree over `n` circles, with its text (every compound operand in
// parentheses), its set by membership (bit z for zone z, bit 0 outside) and, when it uses only
// what the plain language has (letters, union, intersection, difference), its plain text.
function randomSet(g, n, depth) {
  const all = (2 ** (2 ** n) - 1) >>> 0;
  if (depth === 0 || g.below(3) === 0) {
    const leaf = g.below(10);
    if (leaf === 0) return {text: 'U', set: all, plain: null};
    if (leaf === 1) return {text: '∅', set: 0, plain: null};
    const i = g.below(n);
    let set = 0;
    for (let z = 0; z < 2 ** n; ++z) if (z & (1 << i)) set |= 2 ** z;
    return {text: g.below(2) ? kLetters[i] : kLetters[i].toLowerCase(), set: set >>> 0, plain: 'abcde'[i]};
  }
  const wrap = (e) => (/^[A-Ea-eU∅]$/.test(e.text) || e.text.endsWith('′') && !e.text.includes(' ') ? e.text : `(${e.text})`);
  const op = g.below(5);
  if (op === 4) {
    const a = randomSet(g, n, depth - 1);
    return {text: `${wrap(a)}${g.pick(['′', "'", 'ᶜ'])}`, set: (~a.set & all) >>> 0, plain: null};
  }
  const a = randomSet(g, n, depth - 1);
  const b = randomSet(g, n, depth - 1);
  const [symbols, combine, plainOp] = [
    [['∪'], (x, y) => x | y, '+'],
    [['∩'], (x, y) => x & y, '*'],
    [['\\', '∖', '−', '-'], (x, y) => x & ~y, '-'],
    [['Δ', '△', '⊕'], (x, y) => x ^ y, null],
  ][op];
  const plain = plainOp && a.plain && b.plain ? `(${a.plain})${plainOp}(${b.plain})` : null;
  return {text: `${wrap(a)} ${g.pick(symbols)} ${wrap(b)}`, set: combine(a.set, b.set) >>> 0, plain};
}

// A random text of the plain language: letters, the three operators, parentheses.
function randomPlain(g, n, depth) {
  if (depth === 0 || g.below(3) === 0) return 'abcde'[g.below(n)];
  const a = randomPlain(g, n, depth - 1);
  const b = randomPlain(g, n, depth - 1);
  const text = `${a}${g.pick(['+', '*', '-'])}${b}`;
  return g.below(2) ? `(${text})` : text;
}

// rivo-cli's zones of a text, as a set (bit 0 the outside zone, in set notation only).
function cliSet(n, text, notation) {
  const out = execFileSync(kCli, ['zones', String(n), '--notation', notation, '--', text], {encoding: 'utf8'});
  let set = 0;
  for (const line of out.trim().split('\n')) {
    const [name, , inOut] = line.split('\t');
    if (inOut !== 'in') continue;
    const zone = name === 'none' ? 0 : [...name.replace(/ /g, '')].reduce((z, c) => z | (1 << kLetters.indexOf(c)), 0);
    set |= 2 ** zone;
  }
  return set >>> 0;
}

let browser;
let page;

before(async () => {
  browser = await launchBrowser();
  page = await openPage(browser, pathToFileURL(path.join(kSite, 'index.html')).href);
});

after(async () => {
  if (browser) await browser.close();
});

// Types each text at once (one input event) and reads the shaded zones back from the picture.
async function pageSets(n, notation, texts) {
  await page.evaluate((n, notation) => { location.hash = `n=${n}&layout=venn&notation=${notation}&e=A`; }, n, notation);
  await page.waitForFunction((n) => document.getElementById('circles').value === String(n), {}, n);
  return page.evaluate((texts) => texts.map((text) => {
    const input = document.getElementById('expression');
    input.value = text;
    input.dispatchEvent(new Event('input'));
    if (document.getElementById('error').textContent) return null;
    let set = 0;
    for (const zone of document.querySelectorAll('#diagram [data-zone]')) {
      if (zone.dataset.in !== 'true') continue;
      const name = zone.dataset.zone;
      set |= 2 ** (name === 'none' ? 0 : [...name].reduce((z, c) => z | (1 << (c.charCodeAt(0) - 65)), 0));
    }
    return set >>> 0;
  }), texts);
}

test('truth sets of random expressions agree with rivo-cli and with circle membership', async (t) => {
  if (!kCli) t.diagnostic('no rivo-cli (RIVO_NATIVE_BUILD names no desktop build): membership only');
  const g = generator(20261209);
  let compared = 0;
  for (const n of [2, 3, 4, 5]) {
    const sets = Array.from({length: 40}, () => randomSet(g, n, 3));
    const shown = await pageSets(n, 'set', sets.map((e) => e.text));
    sets.forEach((e, i) => assert.equal(shown[i], e.set, `${n}: ${e.text}`));
    // Against the desktop: a few per size in each notation, each one process.
    if (!kCli) continue;
    for (const e of sets.slice(0, 6)) {
      assert.equal(cliSet(n, e.text, 'set'), e.set, `rivo-cli, ${n}: ${e.text}`);
      if (e.plain) assert.equal(cliSet(n, e.plain, 'plain'), (e.set & ~1) >>> 0, `rivo-cli, ${n}: ${e.plain}`);
      compared += 1;
    }
    const plains = Array.from({length: 6}, () => randomPlain(g, n, 3));
    const plainShown = await pageSets(n, 'plain', plains);
    plains.forEach((text, i) => assert.equal(plainShown[i], cliSet(n, text, 'plain'), `${n}: ${text}`));
    compared += plains.length;
  }
  if (kCli) assert.ok(compared >= 48);
  assert.deepEqual(page.problems, []);
});
