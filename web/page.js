// The placeholder page: the zones of the typed expression, worked out by the core (rivo.js) on
// every change. The real page builds on this.
'use strict';

window.addEventListener('DOMContentLoaded', function () {
  var expression = document.getElementById('expression');
  var circles = document.getElementById('circles');
  var result = document.getElementById('result');

  createRivo().then(function (rivo) {
    function update() {
      var answer = rivo.zones(expression.value, Number(circles.value));
      result.dataset.zones = answer.error ? '' : String(answer.zones);
      result.textContent = answer.error ? answer.report : (answer.names || 'none');
      result.classList.toggle('error', answer.error !== '');
    }
    expression.addEventListener('input', update);
    circles.addEventListener('change', update);
    update();
    document.body.dataset.ready = 'true';
  }, function (error) {
    result.textContent = 'The page could not start: ' + error;
    result.classList.add('error');
  });
});
