// Start page and error page helpers.

// The server decodes the keywords once more after the query string, so they
// travel encoded twice; escape() keeps Latin-1 as single bytes.
function orvaneSearch(form) {
  var keywords = escape(form.keywords.value).replace(/\+/g, '%2B');
  var url = '/search?keywords=' + encodeURIComponent(keywords) +
            '&se=' + encodeURIComponent(form.se.value) +
            '&site=' + encodeURIComponent(form.site.value);
  window.location.href = url;
  return false;
}

function orvaneFillForm(keywords, id) {
  document.getElementById('keywords').value = keywords;
  if (id !== '-1') {
    var frames = document.getElementById('frames');
    frames.hidden = false;
    frames.children[0].src = '/mainframe.htm?id=' + id;
    frames.children[1].src = '/bottomframe.htm?id=' + id;
  }
}

function orvaneShowError(target) {
  var match = /[?&]Error=([^&]*)/.exec(window.location.search);
  var text = match ? match[1].replace(/\+/g, ' ') : 'Unknown error';
  try {
    text = decodeURIComponent(text);
  } catch (e) {
    text = unescape(text);
  }
  target.textContent = text;
}
