// Orvane's pages: the start page and its frame set, the results frame, the
// options frame and the error page. Plain script, no libraries.

var orvaneSessionId = '-1';
var orvaneEngines = ['Google', 'MSN', 'Yahoo'];

// The raw value of a query parameter of this page's own address, decoded once.
function orvaneParam(name) {
  var match = new RegExp('[?&]' + name + '=([^&]*)', 'i').exec(window.location.search);
  if (!match) return '';
  var text = match[1].replace(/\+/g, ' ');
  try {
    return decodeURIComponent(text);
  } catch (e) {
    return unescape(text);
  }
}

// A status line with a spinner and the seconds since it started; the page
// that replaces this one ends it.
function orvaneProgress(box, message) {
  if (!box) return;
  var started = Date.now();
  box.querySelector('.text').textContent = message;
  var seconds = box.querySelector('.seconds');
  var tick = function () {
    seconds.textContent = Math.floor((Date.now() - started) / 1000) + ' s';
  };
  tick();
  box.hidden = false;
  clearInterval(box.orvaneTimer);
  box.orvaneTimer = setInterval(tick, 1000);
}

function orvaneStopProgress(box) {
  if (!box) return;
  clearInterval(box.orvaneTimer);
  box.hidden = true;
}

function orvaneSearchURL(keywords, se, site) {
  // The server decodes the keywords once more after the query string, so they
  // travel encoded twice; escape() keeps Latin-1 as single bytes.
  var words = escape(keywords).replace(/\+/g, '%2B');
  return '/search?keywords=' + encodeURIComponent(words) + '&se=' + encodeURIComponent(se) +
         '&site=' + encodeURIComponent(site);
}

function orvaneStartSearch(keywords, se, site, progress) {
  var engine = orvaneEngines[Number(se) - 1] || 'the web';
  orvaneProgress(progress, 'Searching ' + engine + ' for \u201c' + keywords + '\u201d' +
                           (site ? ' within ' + site : '') + '\u2026');
  window.location.href = orvaneSearchURL(keywords, se, site);
}

function orvaneSearch(form) {
  var keywords = form.keywords.value.replace(/^\s+|\s+$/g, '');
  if (!keywords) {
    form.keywords.focus();
    return false;
  }
  var progress = form.parentNode.querySelector('.progress');
  form.querySelector('[type=submit]').disabled = true;
  orvaneStartSearch(keywords, form.se.value, form.site.value.replace(/^\s+|\s+$/g, ''), progress);
  return false;
}

// The start page: without a session the search form alone, with one the
// frame set of results and options for it.
function orvaneFillForm(keywords, keywordsWithSite, id) {
  var framed = id !== '-1';
  document.getElementById('home').hidden = framed;
  document.getElementById('frameset').hidden = !framed;
  var form = document.getElementById(framed ? 'topsearch' : 'homesearch');
  var se = orvaneParam('se');
  // Only a value the list offers: any other leaves the list as it is.
  if (/^[1-9][0-9]*$/.test(se) && form.querySelector('option[value="' + se + '"]')) form.se.value = se;
  if (!framed) {
    form.keywords.focus();
    return;
  }
  orvaneSessionId = id;
  form.keywords.value = keywords;
  var prefix = keywords + ' (Searched within site: ';
  if (keywordsWithSite.indexOf(prefix) === 0 && keywordsWithSite.slice(-1) === ')') {
    form.site.value = keywordsWithSite.slice(prefix.length, -1);
  } else {
    form.site.value = orvaneParam('site');
  }
  document.title = keywords + ' \u2013 Orvane';
  document.getElementById('mainFrame').src = '/mainframe.htm?id=' + id;
  document.getElementById('bottomFrame').src = '/bottomframe.htm?id=' + id;
}

// The skip link leads into the results frame, to the list itself.
function orvaneSkipToResults() {
  var frame = document.getElementById('mainFrame');
  var list = null;
  try {
    list = frame.contentDocument && frame.contentDocument.getElementById('list');
  } catch (e) {
    list = null;
  }
  if (list) list.focus();
  else frame.focus();
  return false;
}

// Another engine for the same keywords, asked for from the options frame.
function orvaneSearchWithEngine(se) {
  var form = document.getElementById('topsearch');
  form.se.value = se;
  orvaneSearch(form);
}

window.addEventListener('pageshow', function (event) {
  if (!event.persisted) return;
  var boxes = document.querySelectorAll('.progress');
  for (var i = 0; i < boxes.length; i++) orvaneStopProgress(boxes[i]);
  var buttons = document.querySelectorAll('[type=submit]');
  for (var j = 0; j < buttons.length; j++) buttons[j].disabled = false;
});

function orvaneFrame(name) {
  try {
    return window.parent !== window ? window.parent.frames[name] : null;
  } catch (e) {
    return null;
  }
}

// Results frame.

// The list arrives as a flat run of title link, description, link line and
// rank; each result is wrapped into a block of its own so it can be styled.
function orvaneWrapResults(list) {
  var nodes = Array.prototype.slice.call(list.childNodes);
  var result = null, desc = null, meta = null, stage = 0;
  var make = function (tag, cls) {
    var element = document.createElement(tag);
    element.className = cls;
    return element;
  };
  for (var i = 0; i < nodes.length; i++) {
    var node = nodes[i];
    var element = node.nodeType === 1;
    if (element && node.tagName === 'A' && node.classList.contains('regtext')) {
      result = make('div', 'result');
      list.insertBefore(result, node);
      result.appendChild(node);
      stage = 1;
    } else if (!result) {
      continue;
    } else if (stage === 1 && node.nodeName === 'BR') {
      list.removeChild(node);
      desc = make('span', 'desc');
      result.appendChild(desc);
      stage = 2;
    } else if (stage === 2 && element && node.classList.contains('l')) {
      result.appendChild(node);
      meta = make('div', 'meta');
      result.appendChild(meta);
      stage = 3;
    } else if (stage === 2) {
      desc.appendChild(node);
    } else if (node.nodeName === 'BR') {
      list.removeChild(node);
    } else {
      (meta || result).appendChild(node);
    }
  }
  var metas = list.querySelectorAll('.meta');
  for (var m = 0; m < metas.length; m++) {
    var line = metas[m];
    if (!line.textContent.replace(/\s/g, '')) {
      line.parentNode.removeChild(line);
      continue;
    }
    // The rank link and the engine place come without a gap between them.
    for (var c = line.firstChild; c; c = c.nextSibling) {
      if (c.nodeType === 3 && c.previousSibling && c.previousSibling.nodeType === 1 && /^\(/.test(c.nodeValue)) {
        var gap = make('span', 'sep');
        gap.setAttribute('aria-hidden', 'true');
        gap.textContent = '\u00b7';
        line.insertBefore(gap, c);
      }
    }
  }
  // The engines' highlight colours are pale: they become the word's background.
  var marks = list.querySelectorAll('font[color]');
  for (var f = 0; f < marks.length; f++) {
    marks[f].style.backgroundColor = marks[f].getAttribute('color');
    marks[f].className = 'mark';
  }
  if (!list.querySelector('.result')) list.className += ' empty';
}

function orvaneResults(id, narrow) {
  orvaneSessionId = id;
  var list = document.getElementById('list');
  orvaneWrapResults(list);
  list.addEventListener('click', function (event) {
    var link = event.target.closest ? event.target.closest('a[href="#"]') : null;
    if (link) event.preventDefault();
  });
  var caption = document.getElementById('caption');
  if (narrow) caption.textContent = '(results narrowed down by \u201c' + narrow + '\u201d)';
  // A statistics slice answers in this frame; the options frame shows its state.
  if (/\/slicestatisticsresults\.htm$/i.test(window.location.pathname)) {
    var options = orvaneFrame('bottomFrame');
    if (options) options.location.replace('/bottomframe.htm?id=' + id);
  }
}

function ExplainRank(index) {
  if (window.event && window.event.preventDefault) window.event.preventDefault();
  var url = '/explainrank.htm?id=' + orvaneSessionId + '&RankId=' + index;
  var dialog = document.getElementById('explain');
  if (!dialog || !dialog.showModal) {
    window.open(url, 'explainrank');
    return false;
  }
  dialog.querySelector('iframe').src = url;
  if (!dialog.open) dialog.showModal();
  dialog.querySelector('button').focus();
  return false;
}

function orvaneCloseExplain() {
  var dialog = document.getElementById('explain');
  dialog.close();
  dialog.querySelector('iframe').src = 'about:blank';
}

// Options frame.

function orvaneShowPage(page, focus) {
  for (var i = 1; i <= 3; i++) {
    var tab = document.getElementById('tab' + i);
    var selected = i === page;
    tab.setAttribute('aria-selected', selected ? 'true' : 'false');
    tab.tabIndex = selected ? 0 : -1;
    document.getElementById('page' + i).hidden = !selected;
    if (selected && focus) tab.focus();
  }
  var pages = document.querySelectorAll('input.currentpage');
  for (var j = 0; j < pages.length; j++) pages[j].value = String(page - 1);
  document.body.setAttribute('data-page', String(page));
}

function orvaneWorking(message) {
  document.body.className += ' working';
  orvaneProgress(document.getElementById('busy'), message || 'Working\u2026');
}

// The box of an extension whose link was followed: the profile form then
// holds the extension that is shown.
function ExtensionSelected(id, kind) {
  var box = document.getElementById(id);
  if (box && box.name === kind) box.checked = true;
}

function orvaneOptions(id, prefPage) {
  orvaneSessionId = id;
  var page = /^[123]$/.test(prefPage) ? Number(prefPage) : 1;
  orvaneShowPage(page, false);
  var tabs = document.querySelectorAll('[role=tab]');
  for (var i = 0; i < tabs.length; i++) {
    tabs[i].addEventListener('click', function () {
      orvaneShowPage(Number(this.id.slice(3)), false);
    });
    tabs[i].addEventListener('keydown', function (event) {
      var current = Number(this.id.slice(3));
      var next = {ArrowRight: current % 3 + 1, ArrowLeft: (current + 1) % 3 + 1, Home: 1, End: 3}[event.key];
      if (!next) return;
      event.preventDefault();
      orvaneShowPage(next, true);
    });
  }

  // The current choice of a segmented control is the one the server made bold.
  var segments = document.querySelectorAll('.segmented button');
  for (var s = 0; s < segments.length; s++) {
    var current = !!segments[s].querySelector('b');
    if (current) segments[s].className += ' current';
    segments[s].setAttribute('aria-pressed', current ? 'true' : 'false');
  }

  var subjects = document.querySelectorAll('#subjectstate input');
  var subject = '';
  for (var p = 0; p < subjects.length; p++) if (subjects[p].checked) subject = subjects[p].value;
  var bold = document.querySelector('#subjects b');
  if (bold) subject = bold.textContent;
  document.getElementById('subject').textContent = subject ? 'current: ' + subject : 'none chosen';

  orvaneNameBoxes();

  var panes = document.querySelectorAll('.pane');
  for (var q = 0; q < panes.length; q++) {
    if (!panes[q].textContent.replace(/\s/g, '')) panes[q].innerHTML = '<span class="hint">Nothing to show yet.</span>';
  }

  var files = document.getElementById('xmlfilename');
  if (files && files.options.length === 0) {
    document.getElementById('loadbutton').disabled = true;
    document.getElementById('deletebutton').disabled = true;
    document.getElementById('nosaved').hidden = false;
  }

  // Whatever this frame was asked to do changed the results, so the results
  // frame follows; the plain options page is loaded together with it.
  if (!/\/bottomframe\.htm$/i.test(window.location.pathname)) {
    var results = orvaneFrame('mainFrame');
    if (results) results.location.replace('/mainframe.htm?id=' + id);
  }

  document.addEventListener('click', function (event) {
    var link = event.target.closest ? event.target.closest('a[target=bottomFrame], a[target=mainFrame]') : null;
    if (link && !event.defaultPrevented && event.button === 0 && !event.ctrlKey && !event.metaKey) orvaneWorking();
  });
  document.addEventListener('submit', function (event) {
    if (!event.defaultPrevented) orvaneWorking();
  });
  window.addEventListener('pageshow', function (event) {
    if (!event.persisted) return;
    document.body.className = document.body.className.replace(/\s*working/g, '');
    orvaneStopProgress(document.getElementById('busy'));
  });
}

// An extension's check box is named by the link beside it, which carries the
// extension's name; its title alone is not a label.
function orvaneNameBoxes() {
  var boxes = document.querySelectorAll('.pane input[type=checkbox]');
  for (var i = 0; i < boxes.length; i++) {
    var link = boxes[i].nextElementSibling;
    if (!boxes[i].id || !link || link.tagName !== 'A' || boxes[i].labels.length) continue;
    if (!link.id) link.id = boxes[i].id + '_Name';
    boxes[i].setAttribute('aria-labelledby', link.id);
  }
}

function orvaneChooseEngine(radio) {
  var top = window.parent;
  if (top && top !== window && top.orvaneSearchWithEngine) top.orvaneSearchWithEngine(String(Number(radio.value) + 1));
}

function orvaneToggleNewWindow() {
  orvaneWorking();
  window.location.href = '/changepreferences.htm?id=' + orvaneSessionId;
}

// Statistics and rank explanation.

function orvaneMatchKinds() {
  var names = {'2': 'whole phrase', '1': 'some keywords', '0': 'none', '-1': 'no'};
  var kinds = document.querySelectorAll('.kind');
  for (var i = 0; i < kinds.length; i++) {
    var value = kinds[i].textContent.replace(/\s/g, '');
    if (names[value]) kinds[i].textContent = names[value] + ' (' + value + ')';
  }
}

// Shows the intermediate sums of the rank, each rounded up as the ranking does.
function orvaneExplainSums() {
  var read = function (id) {
    var element = document.getElementById(id);
    var value = element ? parseFloat(element.textContent) : NaN;
    return isNaN(value) ? 0 : value;
  };
  var up = function (x) { return Math.ceil(x - 1e-9); };
  var fields = up((read('ts') + read('ds') + read('ls')) * 100);
  var boost = up(read('mb') * read('mbw'));
  var penalty = document.getElementById('penalty');
  var factor = parseFloat(penalty.textContent.replace('*', ''));
  document.getElementById('fields').textContent = fields;
  document.getElementById('boost').textContent = boost;
  if (isNaN(factor)) penalty.parentNode.hidden = true;
  var sum = fields + read('wr') + boost;
  var total = up(sum * read('pf'));
  if (!isNaN(factor)) total = up(total * factor);
  document.getElementById('sum').textContent = sum;
  var check = document.getElementById('check');
  check.textContent = total === read('total') ? '(the terms add up \u2714)' : '(the terms give ' + total + ')';
  orvaneMatchKinds();
}

// Error page: the message is text, never markup.
function orvaneShowError(target) {
  target.textContent = orvaneParam('Error') || 'Unknown error';
}
