// The page: an edit line drawn as a circle diagram as one types. Every answer comes from the core
// (rivo.js, the C++ core in WebAssembly): truth sets, zone outlines, steps, identities, the
// shortest expression of a shading and the exercises. This script only draws and wires controls.
'use strict';

(function () {
  var SVG = 'http://www.w3.org/2000/svg';
  var SHADE = '#8fb0dd';
  var BLANK = '#ffffff';
  var MAX_STEPS_SHOWN = 60;

  var rivo = null;
  var state = { n: 3, layout: 'venn', notation: 'set', e: 'A ∩ (B ∪ C)' };
  var picture = null;      // the layout drawn: {layout, zones: [{zone, name, element}], mask}
  var current = null;      // the last good reading: {set}
  var exercise = null;     // {item, shading, differ}
  var exerciseQueue = [];
  var shortestTimer = 0;
  var el = {};
  // The module starts compiling while the rest of the page loads; a failure is shown once the
  // page has its error line.
  var starting = typeof createRivo === 'function' ? createRivo() : Promise.reject(new Error('rivo.js did not load'));
  starting.catch(function () {});

  // ---- Small helpers ----

  function make(name, attributes, parent) {
    var node = document.createElementNS(SVG, name);
    Object.keys(attributes || {}).forEach(function (key) { node.setAttribute(key, attributes[key]); });
    if (parent) parent.appendChild(node);
    return node;
  }

  function letters(n) { return 'ABCDE'.slice(0, n); }

  function zoneName(zone) {
    if (zone === 0) return 'none';
    var name = '';
    for (var i = 0; i < 5; ++i) if (zone & (1 << i)) name += 'ABCDE'[i];
    return name;
  }

  function has(set, zone) { return ((set >>> zone) & 1) === 1; }

  function zonesOf(set, n) {
    var names = [];
    for (var zone = 0; zone < (1 << n); ++zone) if (has(set, zone)) names.push(zoneName(zone));
    return names;
  }

  // In words: which circles a zone lies in and which not.
  function describeZone(zone, n) {
    if (zone === 0) return 'outside every circle';
    var inside = [];
    var outside = [];
    for (var i = 0; i < n; ++i) ((zone & (1 << i)) ? inside : outside).push('ABCDE'[i]);
    var text = 'in ' + inside.join(' and ');
    if (outside.length) text += ', outside ' + outside.join(' and ');
    return text;
  }

  // The zones a comparison counts: every zone the notation knows (the plain language has no
  // outside zone).
  function universe() {
    var all = (state.n === 5) ? 0xffffffff : ((1 << (1 << state.n)) - 1);
    return (state.notation === 'set' ? all : all & ~1) >>> 0;
  }

  function errorText(answer) {
    if (!answer.error) return '';
    if (answer.column > 0) return 'Column ' + answer.column + ': ' + answer.error;
    return answer.report || answer.error;
  }

  // ---- The address fragment: the whole state ----

  function readFragment() {
    var params = new URLSearchParams(location.hash.replace(/^#/, ''));
    var n = Number(params.get('n'));
    if (Number.isInteger(n) && n >= 2 && n <= 5) state.n = n;
    if (params.get('layout') === 'venn' || params.get('layout') === 'euler') state.layout = params.get('layout');
    if (params.get('notation') === 'set' || params.get('notation') === 'plain') state.notation = params.get('notation');
    if (params.has('e')) state.e = params.get('e');
  }

  function writeFragment() {
    var hash = '#n=' + state.n + '&layout=' + state.layout + '&notation=' + state.notation +
        '&e=' + encodeURIComponent(state.e);
    if (location.hash === hash) return;
    try {
      history.replaceState(null, '', hash);
    } catch (e) {
      location.hash = hash;
    }
  }

  function showState() {
    el.circles.value = String(state.n);
    el.layout.value = state.layout;
    el.notation.value = state.notation;
    el.expression.value = state.e;
    el.symbols.hidden = state.notation !== 'set';
    // Two circles have one layout.
    el.layout.disabled = state.n === 2;
  }

  // ---- The picture ----

  // Draws the layout's zones, outlines and letters; the shading comes from paint().
  function buildPicture() {
    var layout = rivo.layout(state.n, state.layout);
    var svg = el.diagram;
    while (svg.firstChild) svg.removeChild(svg.firstChild);
    make('rect', { x: 0, y: 0, width: 400, height: 400, fill: '#ffffff' }, svg);
    var zonesGroup = make('g', { 'class': 'zones' }, svg);
    var zones = [];
    var mask = 0;
    layout.zones.forEach(function (zone) {
      if (zone.zone === 0 && state.notation !== 'set') return;
      var path = make('path', {
        'class': 'zone', d: zone.path, 'fill-rule': 'evenodd', fill: BLANK, stroke: 'none',
        tabindex: zones.length === 0 ? '0' : '-1', role: 'button', 'data-zone': zone.name,
        'aria-pressed': 'false', 'data-in': 'false'
      }, zonesGroup);
      make('title', {}, path);
      zones.push({ zone: zone.zone, name: zone.name, element: path, x: zone.x, y: zone.y });
      mask |= 1 << zone.zone;
    });
    var lines = make('g', { 'class': 'outlines', fill: 'none', stroke: '#1a1a1a', 'stroke-width': '1.5',
      'pointer-events': 'none' }, svg);
    if (state.notation === 'set') {
      make('rect', { x: layout.frame[0], y: layout.frame[1], width: layout.frame[2], height: layout.frame[3] }, lines);
    }
    layout.shapes.forEach(function (d) { make('path', { d: d }, lines); });
    var texts = make('g', { 'class': 'names', 'font-family': 'sans-serif', 'font-size': '18',
      'text-anchor': 'middle', 'dominant-baseline': 'central', fill: '#1a1a1a', 'pointer-events': 'none',
      'aria-hidden': 'true' }, svg);
    layout.names.forEach(function (at, i) {
      make('text', { x: at.x, y: at.y }, texts).textContent = 'ABCDE'[i];
    });
    if (state.notation === 'set') make('text', { x: 16, y: 20 }, texts).textContent = 'U';
    var labels = make('g', { 'class': 'zone-names', 'font-family': 'sans-serif', 'font-size': '11',
      'text-anchor': 'middle', 'dominant-baseline': 'central', fill: '#333333', 'pointer-events': 'none',
      'aria-hidden': 'true' }, svg);
    if (el.showNames.checked) {
      rivo.zonePoints(state.n, state.layout).forEach(function (point, i) {
        if (point) make('text', { x: point.x, y: point.y }, labels).textContent = zoneName(i + 1);
      });
    }
    // Differing zones of a checked exercise are hatched over their shading.
    var defs = make('defs', {}, svg);
    var hatch = make('pattern', { id: 'hatch', width: 8, height: 8, patternUnits: 'userSpaceOnUse',
      patternTransform: 'rotate(45)' }, defs);
    make('rect', { width: 3, height: 8, fill: '#c00000' }, hatch);
    make('g', { id: 'differ-marks', 'pointer-events': 'none', 'aria-hidden': 'true', fill: 'url(#hatch)',
      stroke: '#c00000', 'stroke-width': '2.5', 'fill-rule': 'evenodd' }, svg);
    make('path', { id: 'focus-ring', d: '', fill: 'none', stroke: '#d35400', 'stroke-width': '3',
      'stroke-dasharray': '6 3', 'pointer-events': 'none', 'aria-hidden': 'true' }, svg);
    picture = { layout: layout, zones: zones, mask: mask >>> 0 };
    buildStepDefs(layout);
  }

  // What the picture shows now: an exercise's shading or the edit line's set.
  function shownSet() {
    if (exercise) return exercise.item.reverse ? exercise.item.truth : exercise.shading;
    return current ? current.set : 0;
  }

  function paint() {
    var set = shownSet();
    var differ = exercise && exercise.differ ? exercise.differ : 0;
    picture.zones.forEach(function (zone) {
      var inSet = has(set, zone.zone);
      var element = zone.element;
      element.setAttribute('data-in', inSet ? 'true' : 'false');
      element.setAttribute('aria-pressed', inSet ? 'true' : 'false');
      element.setAttribute('fill', inSet ? SHADE : BLANK);
      var words = 'Zone ' + zone.name + ': ' + describeZone(zone.zone, state.n) + '; ' +
          (inSet ? 'in the set' : 'not in the set');
      element.setAttribute('aria-label', words);
      element.firstChild.textContent = words;
    });
    var marks = el.diagram.querySelector('#differ-marks');
    marks.textContent = '';
    picture.zones.forEach(function (zone) {
      if (has(differ, zone.zone)) make('path', { d: zone.element.getAttribute('d') }, marks);
    });
    var names = zonesOf(set & universe(), state.n);
    var hidden = zonesOf(set & universe() & ~picture.mask, state.n);
    el.zones.textContent = (names.length ? names.join(', ') : 'no zone') +
        (hidden.length ? ' (not drawn in this layout: ' + hidden.join(', ') + ')' : '');
  }

  // ---- The edit line ----

  function update() {
    state.e = el.expression.value;
    writeFragment();
    var answer = rivo.evaluate(state.e, state.notation, state.n);
    el.error.textContent = errorText(answer);
    // What the plain language's lenient reading did not read as written.
    el.note.textContent = answer.note ? 'Note: ' + answer.note : '';
    el.expression.setAttribute('aria-invalid', answer.error ? 'true' : 'false');
    if (!answer.error) current = { set: answer.set >>> 0 };
    // Also on an error: a picture just rebuilt gets its zones' names and the last good shading.
    paint();
    if (!answer.error) {
      scheduleShortest();
      if (el.stepsPanel.open) showSteps();
    }
    if (!document.body.dataset.firstDrawn) document.body.dataset.firstDrawn = String(performance.now());
  }

  // The plain language writes the empty set as the empty text.
  function shortestText(text) { return text || '(the empty text: no zone)'; }

  // The shortest expression costs more than a keystroke may: worked out once typing pauses.
  function scheduleShortest() {
    clearTimeout(shortestTimer);
    shortestTimer = setTimeout(function () {
      if (current) el.shortest.textContent = shortestText(rivo.express(current.set, state.notation, state.n));
    }, 150);
  }

  function rebuild() {
    showState();
    buildPicture();
    update();
  }

  // A click on a zone: in an exercise it shades the answer; else the set changes and the edit
  // line gets the shortest expression of the new set.
  function toggleZone(zone) {
    if (exercise) {
      if (exercise.item.reverse) return;
      exercise.shading = (exercise.shading ^ (1 << zone)) >>> 0;
      exercise.differ = 0;
      paint();
      return;
    }
    if (!current) return;
    var set = (current.set ^ (1 << zone)) >>> 0;
    var text = rivo.express(set, state.notation, state.n);
    el.expression.value = text;
    el.shortest.textContent = shortestText(text);
    update();
  }

  function zoneIndexOf(target) {
    for (var i = 0; i < picture.zones.length; ++i) if (picture.zones[i].element === target) return i;
    return -1;
  }

  function focusZone(index) {
    var count = picture.zones.length;
    index = (index + count) % count;
    picture.zones.forEach(function (zone, i) { zone.element.setAttribute('tabindex', i === index ? '0' : '-1'); });
    picture.zones[index].element.focus();
  }

  function onDiagramKey(event) {
    var index = zoneIndexOf(event.target);
    if (index < 0) return;
    var moves = { ArrowRight: 1, ArrowDown: 1, ArrowLeft: -1, ArrowUp: -1 };
    if (event.key in moves) {
      focusZone(index + moves[event.key]);
    } else if (event.key === 'Home') {
      focusZone(0);
    } else if (event.key === 'End') {
      focusZone(picture.zones.length - 1);
    } else if (event.key === 'Enter' || event.key === ' ') {
      toggleZone(picture.zones[index].zone);
    } else {
      return;
    }
    event.preventDefault();
  }

  // ---- Steps ----

  // The zones' shapes once, for the small pictures of the steps and the identity check.
  function buildStepDefs(layout) {
    var defs = el.stepDefs.firstChild || make('defs', {}, el.stepDefs);
    while (defs.firstChild) defs.removeChild(defs.firstChild);
    layout.zones.forEach(function (zone) {
      make('path', { id: 'mini-zone-' + zone.name, d: zone.path, 'fill-rule': 'evenodd' }, defs);
    });
    var outline = make('g', { id: 'mini-outline', fill: 'none', stroke: '#1a1a1a', 'stroke-width': '3' }, defs);
    layout.shapes.forEach(function (d) { make('path', { d: d }, outline); });
  }

  function miniPicture(set, label) {
    var svg = make('svg', { viewBox: '0 0 400 400', width: '96', height: '96', role: 'img', 'aria-label': label,
      'class': 'mini' });
    make('title', {}, svg).textContent = label;
    make('rect', { x: 0, y: 0, width: 400, height: 400, fill: has(set, 0) && state.notation === 'set' ? SHADE : BLANK,
      stroke: '#1a1a1a', 'stroke-width': '3' }, svg);
    picture.zones.forEach(function (zone) {
      if (zone.zone !== 0 && has(set, zone.zone)) make('use', { href: '#mini-zone-' + zone.name, fill: SHADE }, svg);
    });
    make('use', { href: '#mini-outline' }, svg);
    return svg;
  }

  function showSteps() {
    var list = el.steps;
    list.textContent = '';
    var answer = rivo.steps(state.e, state.notation, state.n);
    if (answer.error) return;
    if (answer.steps.length === 0) {
      var none = document.createElement('li');
      none.textContent = 'A single set: no step.';
      list.appendChild(none);
    }
    answer.steps.slice(0, MAX_STEPS_SHOWN).forEach(function (step, i) {
      var item = document.createElement('li');
      var zones = zonesOf(step.set & universe(), state.n).join(', ') || 'no zone';
      item.appendChild(miniPicture(step.set, 'Step ' + (i + 1) + ': ' + step.text + ', zones ' + zones));
      var text = document.createElement('span');
      text.className = 'step-text';
      text.textContent = step.text;
      var list2 = document.createElement('span');
      list2.className = 'step-zones';
      list2.textContent = zones;
      item.appendChild(text);
      item.appendChild(list2);
      list.appendChild(item);
    });
    if (answer.steps.length > MAX_STEPS_SHOWN) {
      var more = document.createElement('li');
      more.textContent = (answer.steps.length - MAX_STEPS_SHOWN) + ' more steps not shown';
      list.appendChild(more);
    }
  }

  // ---- Identity check ----

  function checkIdentity() {
    var answer = rivo.identity(el.identityFirst.value, el.identitySecond.value, state.notation, state.n);
    var out = el.identityResult;
    out.textContent = '';
    if (answer.error) {
      out.textContent = (answer.which === 1 ? 'First' : 'Second') + ' expression: ' + errorText(answer);
      return;
    }
    var differ = answer.differ & universe();
    out.dataset.differ = zonesOf(differ, state.n).join(',');
    if (differ === 0) {
      out.textContent = 'Equal: both expressions have the same zones.';
      return;
    }
    out.textContent = 'Not equal. They differ in the zones ' + zonesOf(differ, state.n).join(', ') + ' ';
    out.appendChild(miniPicture(differ, 'The differing zones'));
  }

  // ---- Exercises ----

  function randomSeed() {
    var words = new Uint32Array(2);
    crypto.getRandomValues(words);
    return words[0] * 4096 + (words[1] & 4095);
  }

  function newExercise() {
    // A few at a time, in the generator's order, so both kinds come in turn.
    // The Euler pictures of four and five circles lack some zones: their exercises differ there.
    var key = state.n + state.layout;
    if (!exerciseQueue.length || exerciseQueue.key !== key) {
      var items = rivo.exercises(state.n, 8, randomSeed(), state.layout);
      var shading = items.filter(function (item) { return !item.reverse; });
      var reverse = items.filter(function (item) { return item.reverse; });
      exerciseQueue = [];
      while (shading.length || reverse.length) {
        if (shading.length) exerciseQueue.push(shading.shift());
        if (reverse.length) exerciseQueue.push(reverse.shift());
      }
      exerciseQueue.key = key;
    }
    if (!exerciseQueue.length) return;
    var item = exerciseQueue.shift();
    item.truth = item.truth >>> 0;
    exercise = { item: item, shading: 0, differ: 0 };
    var text = state.notation === 'set' ? item.set : item.plain;
    el.exercisePrompt.textContent = item.reverse
      ? 'Write an expression for the shaded zones.'
      : 'Shade the zones of ' + text + ' by clicking them.';
    el.exercisePrompt.dataset.kind = item.reverse ? 'reverse' : 'shade';
    el.exercisePrompt.dataset.expression = text;
    el.exerciseAnswerRow.hidden = !item.reverse;
    el.exerciseAnswer.value = '';
    el.exerciseResult.textContent = '';
    el.exerciseCheck.disabled = false;
    el.exerciseLeave.disabled = false;
    document.body.classList.add('exercising');
    paint();
  }

  function checkExercise() {
    if (!exercise) return;
    var item = exercise.item;
    var given = exercise.shading;
    if (item.reverse) {
      var answer = rivo.evaluate(el.exerciseAnswer.value, state.notation, state.n);
      if (answer.error) {
        el.exerciseResult.textContent = errorText(answer);
        return;
      }
      given = answer.set >>> 0;
    }
    // Compared on the zones this picture draws: a zone it cannot show cannot be shaded, nor read
    // from the given shading.
    var scope = universe() & picture.mask;
    var differ = ((given ^ item.truth) & scope) >>> 0;
    exercise.differ = differ;
    el.exerciseResult.dataset.differ = zonesOf(differ, state.n).join(',');
    el.exerciseResult.textContent = differ === 0
      ? 'Correct.'
      : 'Not yet: these zones differ: ' + zonesOf(differ, state.n).join(', ') + '.';
    paint();
  }

  function leaveExercise() {
    exercise = null;
    document.body.classList.remove('exercising');
    el.exercisePrompt.textContent = '';
    el.exerciseResult.textContent = '';
    el.exerciseAnswerRow.hidden = true;
    el.exerciseCheck.disabled = true;
    el.exerciseLeave.disabled = true;
    paint();
  }

  // ---- Downloads ----

  function svgText() {
    var copy = el.diagram.cloneNode(true);
    copy.removeAttribute('role');
    copy.removeAttribute('aria-label');
    copy.removeAttribute('id');
    var ring = copy.querySelector('#focus-ring');
    if (ring) ring.parentNode.removeChild(ring);
    copy.querySelectorAll('[tabindex]').forEach(function (node) {
      ['tabindex', 'role', 'aria-pressed', 'aria-label', 'class'].forEach(function (a) { node.removeAttribute(a); });
    });
    return '<?xml version="1.0" encoding="UTF-8"?>\n' + new XMLSerializer().serializeToString(copy);
  }

  function save(blob, name) {
    var url = URL.createObjectURL(blob);
    var link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(url); }, 1000);
  }

  function downloadSvg() {
    save(new Blob([svgText()], { type: 'image/svg+xml' }), 'rivo.svg');
  }

  function downloadPng() {
    var url = URL.createObjectURL(new Blob([svgText()], { type: 'image/svg+xml' }));
    var image = new Image();
    image.onload = function () {
      var canvas = document.createElement('canvas');
      canvas.width = 800;
      canvas.height = 800;
      var context = canvas.getContext('2d');
      context.fillStyle = '#ffffff';
      context.fillRect(0, 0, 800, 800);
      context.drawImage(image, 0, 0, 800, 800);
      URL.revokeObjectURL(url);
      canvas.toBlob(function (blob) { save(blob, 'rivo.png'); }, 'image/png');
    };
    image.src = url;
  }

  // ---- Start ----

  function insertSymbol(symbol) {
    var input = el.expression;
    var start = input.selectionStart == null ? input.value.length : input.selectionStart;
    var end = input.selectionEnd == null ? start : input.selectionEnd;
    var spaced = /[∪∩\\Δ]/.test(symbol) ? ' ' + symbol + ' ' : symbol;
    input.value = input.value.slice(0, start) + spaced + input.value.slice(end);
    input.focus();
    input.setSelectionRange(start + spaced.length, start + spaced.length);
    update();
  }

  function wire() {
    el.expression.addEventListener('input', function () { update(); });
    el.circles.addEventListener('change', function () {
      state.n = Number(el.circles.value);
      leaveExercise();
      rebuild();
    });
    el.layout.addEventListener('change', function () {
      state.layout = el.layout.value;
      leaveExercise();
      rebuild();
    });
    el.notation.addEventListener('change', function () {
      // The set drawn stays: its shortest expression in the other notation.
      var next = el.notation.value;
      if (current && el.expression.getAttribute('aria-invalid') !== 'true') {
        var set = next === 'plain' ? (current.set & ~1) >>> 0 : current.set;
        var text = rivo.express(set, next, state.n);
        if (text) state.e = text;
      }
      state.notation = next;
      leaveExercise();
      rebuild();
    });
    el.symbols.addEventListener('click', function (event) {
      var symbol = event.target.getAttribute && event.target.getAttribute('data-insert');
      if (symbol) insertSymbol(symbol);
    });
    el.diagram.addEventListener('click', function (event) {
      var index = zoneIndexOf(event.target);
      if (index >= 0) toggleZone(picture.zones[index].zone);
    });
    el.diagram.addEventListener('keydown', onDiagramKey);
    el.diagram.addEventListener('focusin', function (event) {
      var index = zoneIndexOf(event.target);
      if (index >= 0) el.diagram.querySelector('#focus-ring').setAttribute('d', picture.zones[index].element.getAttribute('d'));
    });
    el.diagram.addEventListener('focusout', function () {
      el.diagram.querySelector('#focus-ring').setAttribute('d', '');
    });
    el.showNames.addEventListener('change', function () {
      buildPicture();
      paint();
    });
    el.stepsPanel.addEventListener('toggle', function () { if (el.stepsPanel.open) showSteps(); });
    el.identityCheck.addEventListener('click', checkIdentity);
    [el.identityFirst, el.identitySecond].forEach(function (input) {
      input.addEventListener('keydown', function (event) { if (event.key === 'Enter') checkIdentity(); });
    });
    el.exerciseNew.addEventListener('click', newExercise);
    el.exerciseCheck.addEventListener('click', checkExercise);
    el.exerciseLeave.addEventListener('click', leaveExercise);
    el.exerciseAnswer.addEventListener('keydown', function (event) { if (event.key === 'Enter') checkExercise(); });
    el.downloadSvg.addEventListener('click', downloadSvg);
    el.downloadPng.addEventListener('click', downloadPng);
    window.addEventListener('hashchange', function () {
      var before = state.n + state.layout + state.notation;
      readFragment();
      if (state.n + state.layout + state.notation !== before) leaveExercise();
      rebuild();
    });
  }

  window.addEventListener('DOMContentLoaded', function () {
    ['expression', 'error', 'note', 'show-names', 'notation', 'circles', 'layout', 'symbols', 'diagram', 'zones', 'shortest',
      'steps', 'download-svg', 'download-png', 'steps-panel', 'identity-first', 'identity-second',
      'identity-check', 'identity-result', 'exercise-new', 'exercise-prompt', 'exercise-answer',
      'exercise-answer-row', 'exercise-check', 'exercise-leave', 'exercise-result'].forEach(function (id) {
      el[id.replace(/-(\w)/g, function (m, c) { return c.toUpperCase(); })] = document.getElementById(id);
    });
    el.stepDefs = document.createElementNS(SVG, 'svg');
    el.stepDefs.setAttribute('aria-hidden', 'true');
    el.stepDefs.setAttribute('class', 'defs');
    document.body.appendChild(el.stepDefs);
    readFragment();
    starting.then(function (module) {
      rivo = module;
      window.rivoModule = module;
      wire();
      rebuild();
      document.body.dataset.ready = 'true';
    }, function (error) {
      el.error.textContent = 'The page could not start: ' + error;
    });
  });
})();
