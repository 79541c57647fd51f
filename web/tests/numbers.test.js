// The digits of the web page are the desktop's: the same number requests (web/number_check.h)
// go through the desktop build (rivo-number-probe, x87 long double, GMP) and through the
// WebAssembly module (binary128 long double rounded to the extended format, Boost.Multiprecision)
// and must be answered alike, for many values made by a fixed-seed generator.
//
// + - * / and sqrt must agree bit for bit, also on operands that use all 64 bits. sin, cos and exp
// must agree in their 15 digits: their last bit differs where the desktop's C library is not
// correctly rounded, which shows in the digits about once in a million arguments (none of the
// ones below); a failure there names the argument, for the list in docs/architecture.md.
'use strict';

const assert = require('node:assert/strict');
const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const {test} = require('node:test');

const {kProbe, kSite} = require('./support.js');

// splitmix64: the same stream on every machine.
function generator(seed) {
  let state = BigInt(seed);
  const mask = (1n << 64n) - 1n;
  const next = () => {
    state = (state + 0x9e3779b97f4a7c15n) & mask;
    let z = state;
    z = ((z ^ (z >> 30n)) * 0xbf58476d1ce4e5b9n) & mask;
    z = ((z ^ (z >> 27n)) * 0x94d049bb133111ebn) & mask;
    return z ^ (z >> 31n);
  };
  const below = (n) => Number(next() % BigInt(n));
  const pick = (items) => items[below(items.length)];
  return {next, below, pick};
}

// An extended value of 64 significant bits in [2^e, 2^(e + 1)), e kept to the normal range.
function raw(g, exponent) {
  const e = Math.min(Math.max(exponent, -16382), 16383);
  const significand = g.next() | (1n << 63n);
  return `#${g.below(2) ? '-' : ''}${significand.toString(16)}p${e - 63}`;
}

// A decimal label as typed: up to 20 digits, a point somewhere, maybe an exponent.
function label(g, separator) {
  let digits = '';
  const count = 1 + g.below(20);
  for (let i = 0; i < count; ++i) digits += String(g.below(10));
  const point = g.below(count + 1);
  let text = (g.below(4) === 0 ? '-' : '') + digits.slice(0, point);
  if (point < count) text += separator + digits.slice(point);
  if (g.below(3) === 0) text += 'E' + (g.below(2) ? '-' : '') + String(g.below(340));
  return text;
}

function requests() {
  const g = generator(20240611);
  const lines = [];
  const add = (...fields) => lines.push(fields.join('\t'));
  // Full-width operands: close exponents (carries, cancellation, ties), far ones (a lost
  // operand's sign still decides a tie), and the ends of the range (overflow, denormals).
  for (let i = 0; i < 40000; ++i) {
    const e = g.below(200) - 100;
    const near = e + g.below(140) - 70;
    add(g.pick(['+', '-', '*', '/']), raw(g, e), raw(g, near));
  }
  for (let i = 0; i < 6000; ++i) {
    const e = g.pick([16383, 8192, -8192, -16318, -16300]) - g.below(64);
    add(g.pick(['*', '/']), raw(g, e), raw(g, g.pick([e, -e, 100, -100])));
    add(g.pick(['+', '-']), raw(g, e), raw(g, e - g.below(70)));
    // A denormal of the extended format: a multiple of 2^-16445 below 2^-16382.
    const denormal = `#${(g.next() >> BigInt(1 + g.below(63))).toString(16)}p-16445`;
    add(g.pick(['+', '-', '*', '/']), denormal, raw(g, g.pick([0, 63, -63, 16000])));
    add('sqrt', raw(g, g.below(32000) - 16000));
    add('fmt', denormal);
  }
  // Exact results just off a halfway point of the extended format, closer than binary128 can
  // tell: only the sign of what the wide result left out decides. A sum with half a unit of
  // the last place, give or take 2^-j of it; (2^63 + 1)(2^63 + 2^62 + d) = 2^63 (2^63 + 2^62 +
  // d + 1) + 2^62 + d, halfway but for d.
  const hex = (negative, significand, exponent) =>
    `#${negative ? '-' : ''}${significand.toString(16)}p${exponent}`;
  for (let i = 0; i < 3000; ++i) {
    const e = g.below(400) - 200;
    const a = g.next() | (1n << 63n);
    const off = 1n << BigInt(63 - 50 - g.below(14));
    const half = (1n << 63n) + (g.below(2) ? off : -off);
    add(g.pick(['+', '-']), hex(g.below(2), a, e - 63), hex(g.below(2), half, e - 127));
    const d = g.pick([1n, -1n, 1n << BigInt(g.below(13)), -(1n << BigInt(g.below(13)))]);
    add('*', hex(g.below(2), (1n << 63n) + 1n, e - 63),
        hex(g.below(2), (1n << 63n) + (1n << 62n) + d, g.below(400) - 263));
  }
  // Labels as the pipeline reads them, with both separators, errors included.
  for (const separator of ['.', ',']) {
    add('sep', separator);
    for (let i = 0; i < 15000; ++i) {
      add(g.pick(['+', '-', '*', '/']), label(g, separator), label(g, separator));
      add(g.pick(['fmt', 'sqrt']), label(g, separator));
    }
    for (const text of ['', '-', '1.2.3', '1,2,3', 'x', '1E', '1E+', '--1', ' 7 ', '1e400',
      '1E-400', '2.4703282292062327E-324', '2.4703282292062328E-324', '4.9E-324',
      '1.7976931348623157E308', '1.7976931348623159E308', '0E99999', '99999999999999999999']) {
      add('fmt', text);
      add('/', '1', text);
    }
  }
  add('sep', '.');
  // The functions on what the pipeline can hand them: doubles.
  for (let i = 0; i < 20000; ++i) {
    const magnitude = Math.pow(2, g.below(1400) / 20 - 30) * (g.below(2) ? -1 : 1);
    add(g.pick(['sin', 'cos']), String(magnitude));
    add('exp', String(magnitude > 0 ? Math.min(magnitude, 11360) : Math.max(magnitude, -11402)));
    add(g.pick(['sin', 'cos', 'exp']), label(g, '.'));
  }
  // The whole pipeline: folding, gathering numbers into products, the lowered exponent of diff.
  for (let i = 0; i < 3000; ++i) {
    const n = () => label(g, '.').replace(/^-/, '');
    add('tree', `${n()}*x*${n()}+sin(${n()})-${n()}/${n()}`);
    add('tree', `(${n()}+${n()})*(x*${n()})*(${n()}*y)-sqrt(${n()})+cos(${n()})*exp(${n()})`);
    add('tree', `diff(x^${n()}+${n()}*x^2,x)`);
  }
  return lines;
}

function webAnswers(text) {
  const createRivo = require(path.join(kSite, 'rivo.js'));
  return createRivo().then((rivo) => rivo.checkNumbers(text));
}

test('the web module answers the number requests as the desktop build does', async () => {
  assert.ok(fs.existsSync(kProbe), `no ${kProbe}: run scripts/web.sh --test`);
  const lines = requests();
  const text = lines.join('\n') + '\n';
  const desktop = execFileSync(kProbe, {input: text, maxBuffer: 1 << 28}).toString().split('\n');
  const web = (await webAnswers(text)).split('\n');
  assert.equal(web.length, desktop.length);
  assert.equal(desktop.length, lines.length + 1);

  const differences = [];
  const counts = {};
  for (let i = 0; i < lines.length; ++i) {
    const op = lines[i].split('\t')[0];
    const functionOnly = op === 'sin' || op === 'cos' || op === 'exp';
    // For the functions, the digits (or the error) alone.
    const seen = (answer) => (functionOnly ? answer.split('\t')[0] : answer);
    if (seen(web[i]) !== seen(desktop[i])) {
      differences.push(`${lines[i]}\n    desktop ${desktop[i]}\n    web     ${web[i]}`);
    }
    const kind = desktop[i].startsWith('error') ? 'errors' : op;
    counts[kind] = (counts[kind] || 0) + 1;
  }
  assert.deepEqual(differences.slice(0, 20), [], `${differences.length} of ${lines.length} differ`);
  // The requests reach what they are meant to: enough errors, trees and each operation.
  for (const kind of ['+', '-', '*', '/', 'sqrt', 'sin', 'cos', 'exp', 'fmt', 'tree', 'errors']) {
    assert.ok(counts[kind] > 500, `only ${counts[kind]} ${kind}`);
  }
  assert.ok(desktop.some((answer) => /E-(493[3-9]|49[4-5][0-9])\t/.test(answer)), 'no denormal results');
  assert.ok(desktop.some((answer) => answer === 'error\tFloating point overflow'), 'no overflow');
});
