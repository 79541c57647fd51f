// The page in Debian's headless Chromium, opened from the file system and from 127.0.0.1: the
// address fragment draws without interaction, errors land in #error, zones answer the keyboard
// and carry their tooltips, exercises are checked, nothing is asked outside the origin, and
// axe-core finds no accessibility violation in any mode.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const {after, before, describe, test} = require('node:test');
const {pathToFileURL} = require('node:url');

const {kSite, launchBrowser, openPage, serve} = require('./support.js');

const kAxe = require.resolve('axe-core/axe.min.js');

// The zones the picture shades, by name, in drawing order.
function shaded(page) {
  return page.$$eval('#diagram [data-zone][data-in="true"]', (zones) => zones.map((z) => z.dataset.zone));
}

// A zone's bit from its name ("none" is bit 0, "AC" bit 5), and a set's zone names.
const bitOf = (name) => (name === 'none' ? 0 : [...name].reduce((z, c) => z | (1 << (c.charCodeAt(0) - 65)), 0));
const setOf = (names) => names.reduce((set, name) => (set | (1 << bitOf(name))) >>> 0, 0);
const namesOf = (set, n) => [...Array(2 ** n).keys()].filter((z) => (set >>> z) & 1)
    .map((z) => (z === 0 ? 'none' : [...'ABCDE'].filter((c, i) => z & (1 << i)).join('')));

async function axeViolations(page) {
  // Evaluated through the DevTools protocol, which the page's policy does not govern.
  if (!(await page.evaluate(() => Boolean(window.axe)))) await page.evaluate(fs.readFileSync(kAxe, 'utf8'));
  const results = await page.evaluate(() => window.axe.run(document));
  assert.ok(results.passes.length > 10, 'axe-core ran its rules');
  return results.violations.map((v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join('; ')})`);
}

let browser;
let served;

before(async () => {
  assert.ok(fs.existsSync(path.join(kSite, 'index.html')), `no site in ${kSite}: run scripts/web.sh`);
  browser = await launchBrowser();
  served = await serve(kSite);
});

after(async () => {
  if (browser) await browser.close();
  if (served) served.server.close();
});

const kWays = {
  'file': () => pathToFileURL(path.join(kSite, 'index.html')).href,
  '127.0.0.1': () => served.url.replace(/\/?$/, '/index.html'),
};

for (const [way, base] of Object.entries(kWays)) {
  describe(`the page over ${way}`, () => {
    test('the address fragment draws without interaction; an error goes to #error', async () => {
      const cases = [
        // fragment, zones shaded, error expected
        ['#n=4&layout=venn&notation=plain&e=a*c-b-d', ['AC'], ''],
        [`#n=3&layout=euler&notation=set&e=${encodeURIComponent('(A ∪ B)′')}`, ['none', 'C'], ''],
        ['#n=2&layout=venn&notation=set&e=A%20%5C%20B', ['A'], ''],
        // A count that is no whole number leaves the default of three circles.
        ['#n=2.5&layout=venn&notation=set&e=A%20%5C%20B', ['A', 'AC'], ''],
        [`#n=3&notation=set&e=${encodeURIComponent('A ∪ ∩ B')}`, null, /^Column 5: /],
        ['#n=3&notation=plain&e=1%2F0', null, /division by zero/],
      ];
      for (const [fragment, zones, error] of cases) {
        const page = await openPage(browser, base() + fragment);
        try {
          if (zones) assert.deepEqual(await shaded(page), zones, fragment);
          // Every zone is named, also where the first reading failed.
          assert.deepEqual(await page.$$eval('#diagram [data-zone]:not([aria-label^="Zone "])',
              (all) => all.map((z) => z.dataset.zone)), [], fragment);
          const message = await page.$eval('#error', (e) => e.textContent);
          if (error) assert.match(message, error, fragment); else assert.equal(message, '', fragment);
          assert.deepEqual(page.foreign, [], 'requests outside the origin');
          assert.deepEqual(page.problems, [], 'console errors');
        } finally {
          await page.close();
        }
      }
    });

    test('asks for nothing outside its origin, and could not', async () => {
      // A reserved name that never resolves: nothing leaves the machine even if let through.
      const probe = 'http://rivo-probe.invalid/picture.png';
      const tryElsewhere = (page) => page.evaluate((source) => new Promise((resolve) => {
        const image = new Image();
        image.onload = image.onerror = () => resolve();
        image.src = source;
      }), probe);
      const page = await openPage(browser, base());
      try {
        await tryElsewhere(page);
        assert.deepEqual(page.foreign, []);
        assert.ok(page.problems.some((p) => p.includes('Content Security Policy')), page.problems.join('\n'));
      } finally {
        await page.close();
      }
      // Without the policy the interception catches the same request: the check above is live.
      const open = await openPage(browser, base(), {bypassPolicy: true});
      try {
        await tryElsewhere(open);
        assert.deepEqual(open.foreign, [probe]);
      } finally {
        await open.close();
      }
    });
  });
}

describe('the page in use', () => {
  test('typing updates the picture and the fragment; the picture keeps its last state on an error', async () => {
    const page = await openPage(browser, kWays.file() + '#n=3&layout=venn&notation=set&e=A');
    try {
      await page.click('#expression', {clickCount: 3});
      await page.type('#expression', 'B ∩ C');
      assert.deepEqual(await shaded(page), ['BC', 'ABC']);
      assert.match(await page.evaluate(() => location.hash), /e=B%20%E2%88%A9%20C$/);
      // The steps: one small picture per step, shading that step's zones (the outside zone of A′
      // is the frame's own fill).
      await page.type('#expression', ' ∩ A′');
      await page.click('#steps-panel summary');
      await page.waitForSelector('#steps li');
      const steps = await page.$$eval('#steps li', (items) => items.map((item) => [
        item.querySelector('.step-text').textContent, item.querySelectorAll('svg use[href^="#mini-zone"]').length]));
      assert.deepEqual(steps, [['B ∩ C', 2], ['A′', 3], ['B ∩ C ∩ A′', 1]]);
      await page.focus('#expression');
      await page.keyboard.press('End');
      for (let i = 0; i < 5; ++i) await page.keyboard.press('Backspace');
      await page.type('#expression', ' ∪');
      assert.match(await page.$eval('#error', (e) => e.textContent), /^Column 7: .*parentheses/);
      assert.deepEqual(await shaded(page), ['BC', 'ABC']);
    } finally {
      await page.close();
    }
  });

  test('every zone has a tooltip and a name; arrows move between zones, Enter shades one', async () => {
    const page = await openPage(browser, kWays.file() + '#n=4&layout=euler&notation=set&e=A');
    try {
      const zones = await page.$$eval('#diagram [data-zone]', (all) => all.map((z) => ({
        zone: z.dataset.zone, in: z.dataset.in, title: z.querySelector('title').textContent,
        label: z.getAttribute('aria-label'), role: z.getAttribute('role'), tabindex: z.getAttribute('tabindex'),
      })));
      // Four Euler circles draw every zone but AC and BD, and the outside one.
      assert.equal(zones.length, 16 - 2);
      assert.ok(!zones.some((z) => z.zone === 'AC' || z.zone === 'BD'));
      for (const z of zones) {
        assert.equal(z.title, z.label);
        assert.ok(z.label.startsWith(`Zone ${z.zone}: `), z.label);
        assert.ok(z.label.endsWith(z.in === 'true' ? '; in the set' : '; not in the set'), z.label);
        assert.equal(z.role, 'button');
      }
      assert.equal(zones.filter((z) => z.tabindex === '0').length, 1, 'one tab stop');

      await page.$eval(`#diagram [data-zone="${zones[0].zone}"]`, (z) => z.focus());
      const focused = () => page.evaluate(() => document.activeElement.dataset.zone);
      await page.keyboard.press('ArrowRight');
      assert.equal(await focused(), zones[1].zone);
      await page.keyboard.press('ArrowLeft');
      await page.keyboard.press('ArrowLeft');
      assert.equal(await focused(), zones[zones.length - 1].zone);
      const ring = await page.$eval('#focus-ring', (r) => r.getAttribute('d'));
      assert.equal(ring, await page.evaluate(() => document.activeElement.getAttribute('d')));
      // Enter shades the focused zone: the edit line gets the shortest text of the new set.
      const zone = await focused();
      const was = await page.evaluate(() => document.activeElement.dataset.in);
      await page.keyboard.press('Enter');
      assert.notEqual(await page.$eval(`#diagram [data-zone="${zone}"]`, (z) => z.dataset.in), was);
      const text = await page.$eval('#expression', (e) => e.value);
      const again = await page.evaluate((t) => window.rivoModule.evaluate(t, 'set', 4).set >>> 0, text);
      // Compared on the drawn zones: the truth set may hold AC and BD, which this picture lacks.
      assert.equal((again & setOf(zones.map((z) => z.zone))) >>> 0, setOf(await shaded(page)), text);
    } finally {
      await page.close();
    }
  });

  test('identity check and exercises report the zones that differ', async () => {
    const page = await openPage(browser, kWays.file() + '#n=3&layout=venn&notation=set&e=A');
    try {
      const truth = (text) => page.evaluate((t) => window.rivoModule.evaluate(t, 'set', 3).set >>> 0, text);
      const differ = (id) => page.$eval(id, (e) => e.dataset.differ);
      await page.click('#identity-panel summary');
      for (const [first, second] of [['(A ∪ B)′', 'A′ ∩ B′'], ['A \\ B', 'A ∩ C'], ['A Δ B', 'U']]) {
        await page.$eval('#identity-first', (e, v) => { e.value = v; }, first);
        await page.$eval('#identity-second', (e, v) => { e.value = v; }, second);
        await page.click('#identity-check');
        assert.equal(await differ('#identity-result'),
                     namesOf((await truth(first)) ^ (await truth(second)), 3).join(','), `${first} / ${second}`);
      }

      await page.click('#exercise-panel summary');
      const kinds = new Set();
      for (let round = 0; round < 4; ++round) {
        await page.click('#exercise-new');
        const kind = await page.$eval('#exercise-prompt', (e) => e.dataset.kind);
        kinds.add(kind);
        if (kind === 'shade') {
          // Shade exactly the asked zones: correct; one zone more: that zone differs.
          const asked = await truth(await page.$eval('#exercise-prompt', (e) => e.dataset.expression));
          const flip = (name) => page.$eval(`#diagram [data-zone="${name}"]`,
              (z) => z.dispatchEvent(new MouseEvent('click', {bubbles: true})));
          for (const name of namesOf(asked, 3)) await flip(name);
          await page.click('#exercise-check');
          assert.equal(await page.$eval('#exercise-result', (e) => e.textContent), 'Correct.');
          const extra = namesOf(~asked, 3)[0];
          await flip(extra);
          await page.click('#exercise-check');
          assert.equal(await differ('#exercise-result'), extra);
        } else {
          // The picture shows the asked set; the answer "A" differs from it exactly where A does.
          const asked = setOf(await shaded(page));
          await page.type('#exercise-answer', 'A');
          await page.click('#exercise-check');
          assert.equal(await differ('#exercise-result'), namesOf(asked ^ (await truth('A')), 3).join(','));
        }
      }
      assert.deepEqual([...kinds].sort(), ['reverse', 'shade']);

      // The Euler pictures of four and five circles lack zones: every exercise of a batch shows
      // some of its set and not all of the picture, and no two look alike there.
      for (const n of [4, 5]) {
        await page.evaluate((n) => { location.hash = `n=${n}&layout=euler&notation=set&e=A`; }, n);
        await page.waitForFunction((n) => document.getElementById('circles').value === String(n) &&
            document.getElementById('layout').value === 'euler', {}, n);
        const drawn = (setOf(await page.$$eval('#diagram [data-zone]', (all) => all.map((z) => z.dataset.zone))) & ~1) >>> 0;
        const seen = new Set();
        for (let round = 0; round < 8; ++round) {
          await page.click('#exercise-new');
          const [kind, text] = await page.$eval('#exercise-prompt', (e) => [e.dataset.kind, e.dataset.expression]);
          const evaluated = await page.evaluate((t, n) => window.rivoModule.evaluate(t, 'set', n).set >>> 0, text, n);
          const shown = ((kind === 'reverse' ? setOf(await shaded(page)) : evaluated) & drawn) >>> 0;
          assert.ok(shown !== 0 && shown !== drawn, `${n}: ${text} shows ${namesOf(shown, n)}`);
          assert.ok(!seen.has(shown), `${n}: ${text} looks like another exercise`);
          seen.add(shown);
          if (kind === 'reverse') {
            // An answer that matches the picture is right, whatever it says of the zones not drawn.
            const answer = await page.evaluate((s, n) => window.rivoModule.express(s, 'set', n), shown, n);
            await page.type('#exercise-answer', answer);
            await page.click('#exercise-check');
            assert.equal(await page.$eval('#exercise-result', (e) => e.textContent), 'Correct.', answer);
          }
        }
        // The module's largest batch holds to the same.
        const batch = await page.evaluate((n, drawn) => window.rivoModule.exercises(n, 600, 7, 'euler')
            .map((item) => (item.truth & drawn) >>> 0), n, drawn);
        assert.equal(batch.length, 600);
        assert.equal(new Set(batch).size, 600, `${n}: two exercises look alike`);
        assert.ok(!batch.includes(0) && !batch.includes(drawn), `${n}: a blank or full picture`);
      }
      assert.deepEqual(page.problems, []);
    } finally {
      await page.close();
    }
  });

  test('axe-core finds no violation in any mode', async () => {
    const modes = [
      '#n=3&layout=venn&notation=set&e=A',
      '#n=4&layout=venn&notation=plain&e=a*c-b-d',
      '#n=5&layout=euler&notation=set&e=A%E2%80%B2',
      '#n=3&layout=euler&notation=plain&e=a%2Bb',
    ];
    for (const mode of modes) {
      const page = await openPage(browser, served.url.replace(/\/?$/, '/index.html') + mode);
      try {
        await page.click('#steps-panel summary');
        await page.waitForSelector('#steps li');
        assert.deepEqual(await axeViolations(page), [], mode);
        if (mode === modes[0]) {
          // The exercise mode, both kinds.
          await page.click('#exercise-panel summary');
          await page.click('#exercise-new');
          assert.deepEqual(await axeViolations(page), [], 'exercise');
          await page.click('#exercise-new');
          assert.deepEqual(await axeViolations(page), [], 'exercise');
        }
      } finally {
        await page.close();
      }
    }
  });

  test('downloads the picture as SVG and PNG', async () => {
    const page = await openPage(browser, kWays.file() + '#n=3&layout=venn&notation=set&e=A');
    try {
      const svg = await page.evaluate(() => new Promise((resolve) => {
        const read = URL.createObjectURL;
        URL.createObjectURL = (blob) => { blob.text().then(resolve); return read(blob); };
        document.getElementById('download-svg').click();
      }));
      assert.match(svg, /^<\?xml[^>]*>\n<svg [^>]*xmlns="http:\/\/www.w3.org\/2000\/svg"/);
      assert.equal((svg.match(/<path[^>]*fill="#8fb0dd"/g) || []).length, 4, 'A: zones A, AB, AC, ABC');
      const png = await page.evaluate(() => new Promise((resolve) => {
        const read = URL.createObjectURL;
        URL.createObjectURL = (blob) => {
          if (blob.type === 'image/png') blob.arrayBuffer().then((b) => resolve(Array.from(new Uint8Array(b).slice(0, 8))));
          return read(blob);
        };
        document.getElementById('download-png').click();
      }));
      assert.deepEqual(png, [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
    } finally {
      await page.close();
    }
  });
});
