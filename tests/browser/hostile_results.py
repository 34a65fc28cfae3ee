#!/usr/bin/python3
"""Hostile engine results in a real headless Chromium: no script may run.

Replays a crafted engine page through "LoadPath" (its links entity-encoded
script links and a link that decodes to "<ov:", its description full of
quotes), then hovers and clicks everything of the result list, the rank
explanation and a reloaded saved search, with alert, confirm and prompt
hooked in every document. Reuses the harness of result_pages.py; exits 77
when Chromium, its driver or Selenium are missing.

usage: hostile_results.py BUILD_DIR
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
# Exits 77 itself when Selenium is missing.
from result_pages import Orvane, expect, run_steps, wait_until  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.common.exceptions import (MoveTargetOutOfBoundsException, NoAlertPresentException,  # noqa: E402
                                        WebDriverException)

HOSTILE_LINKS = ['&#106;avascript:alert(4)', 'javascript&#58;alert(5)', 'java&#x09;script:alert(6)',
                 'JaVaScRiPt:alert(7)']
TAG_LINK = 'http://tag.example/%3Cov:'
QUOTES = '" onmouseover="alert(8)" style="position:fixed;width:100%;height:100%" x="'
SAFE_LINK = 'http://safe.example/page.htm'

# Every script entry point records its call where all our frames can read it.
HOOK = """
(function () {
  function record(text) {
    try { localStorage.setItem('ovScript', (localStorage.getItem('ovScript') || '') + '|' + text); } catch (e) {}
  }
  window.alert = window.confirm = window.prompt = function (text) { record(text); };
})();"""


def google_page():
    results = [(link, 'Hostile %d' % i, 'entity-encoded script link %d' % i)
               for i, link in enumerate(HOSTILE_LINKS)]
    results += [(TAG_LINK, 'Hostile tag link', QUOTES), (SAFE_LINK, 'Hostile safe link', 'a plain web page')]
    blocks = ''.join(
        '<div class="g"><h2 class="r"><a class="l" href="%s">%s</a></h2><table class="s"><tr><td class="j">'
        '<font size="-1">%s<br><span class="a">x</span></font></td></tr></table></div>\n' % result
        for result in results)
    count = len(results)
    return ('<html><body><div id="stats" data-last="%d" data-exact="%d">Results</div>\n<div id="res">\n%s'
            '</div></body></html>\n' % (count, count, blocks))


class HostileOrvane(Orvane):
    """The harness of result_pages.py, its server replaying the crafted pages."""

    def start(self):
        super().start()
        pages = os.path.join(self.work, 'pages')
        os.makedirs(pages)
        for index in range(11):
            with open(os.path.join(pages, 'Google_file_%d.htm' % index), 'w', encoding='latin-1') as out:
                out.write(google_page())
        for name, text in (('MSN', 'We did not find any results'), ('Yahoo', 'We did not find results for')):
            with open(os.path.join(pages, name + '_file_0.htm'), 'w') as out:
                out.write('<html><body>%s</body></html>\n' % text)
        server = self.processes.pop()
        args = server.args
        server.terminate()
        server.wait(5)
        config = os.path.join(self.work, 'orvane.ini')
        with open(config, 'a') as out:
            out.write('LoadPath=%s\n' % pages)
        env = dict(os.environ)
        for name in ('XDG_RUNTIME_DIR', 'XDG_DATA_HOME', 'HOME'):
            env[name] = os.path.join(self.work, name.lower())
        env.pop('BROWSER', None)
        self.processes.append(subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL))
        wait_until('the server again', self.answers, 10)
        self.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': HOOK})

    def scripts_run(self):
        try:
            alert = self.driver.switch_to.alert
            text = alert.text
            alert.dismiss()
            return 'a real dialog: ' + text
        except NoAlertPresentException:
            pass
        self.driver.switch_to.default_content()
        return self.js('return localStorage.getItem("ovScript");')


def check_document(o, where, own_handlers):
    """Every element of the current document: no handler but ours, no script link, no page-wide overlay."""
    found = o.js("""
      var bad = [], handlers = 0;
      document.querySelectorAll('*').forEach(function (e) {
        for (var i = 0; i < e.attributes.length; i++) {
          var name = e.attributes[i].name.toLowerCase();
          if (name.indexOf('on') === 0) handlers++;
          if (name === 'x') bad.push('attribute x on ' + e.tagName);
        }
        if (e.style && e.style.position === 'fixed' && e.closest('#list')) bad.push('fixed element in the list');
      });
      document.querySelectorAll('a[href]').forEach(function (a) {
        if (['http:', 'https:', 'ftp:'].indexOf(a.protocol) < 0 && a.getAttribute('href').charAt(0) !== '#')
          bad.push('link ' + a.getAttribute('href') + ' (' + a.protocol + ')');
      });
      return {bad: bad, handlers: handlers};""")
    expect(not found['bad'], '%s: %s' % (where, found['bad']))
    expect(found['handlers'] == own_handlers, '%s: %d event handlers, ours are %d' %
           (where, found['handlers'], own_handlers))


def hover_and_click_all(o, where, css):
    """Hovers every element found and clicks those that would not leave the page."""
    elements = o.driver.find_elements(By.CSS_SELECTOR, css)
    expect(elements, where + ': nothing to try')
    for element in elements:
        o.js('arguments[0].scrollIntoView({block: "center"});', element)
        try:
            ActionChains(o.driver).move_to_element(element).perform()
        except (MoveTargetOutOfBoundsException, WebDriverException):
            # Nothing to point at (no size, or hidden): the events all the same.
            o.js('var target = arguments[0]; ["mouseover", "mouseenter", "mousemove"].forEach(function (kind) {'
                 ' target.dispatchEvent(new MouseEvent(kind, {bubbles: true})); });', element)
        protocol = o.js('return arguments[0].protocol || "";', element)
        # A web link would only leave for a name that does not resolve here.
        if protocol not in ('http:', 'https:'):
            o.js('arguments[0].click();', element)


def open_page(o, path):
    """Loads path into the window and waits until its document is complete."""
    o.driver.switch_to.default_content()
    o.driver.get(o.url(path))
    wait_until(path, lambda: o.js('return location.pathname + location.search === arguments[0] && '
                                  'document.readyState === "complete";', path))


def list_texts(o):
    o.frame('mainFrame')
    return o.js('return document.getElementById("list").textContent;')


def step_result_list(o):
    o.driver.get(o.url('/search?keywords=hostile+links&se=1'))
    wait_until('the frame set', lambda: o.js('var f = document.getElementById("frameset"); return f && !f.hidden;'))
    o.reloaded('mainFrame', 'list')
    text = list_texts(o)
    for shown in ('Hostile 0', 'Hostile 3', 'Hostile tag link', 'Hostile safe link', 'onmouseover="alert(8)"'):
        expect(shown in text, 'the list does not show %r as text: %r' % (shown, text[:400]))
    titles = o.js('return Array.from(document.querySelectorAll("#list a.regtext")).map(function (a) {'
                  ' return a.textContent; });')
    expect(sorted(titles) == ['Hostile safe link', 'Hostile tag link'], 'linked titles: %r' % titles)
    # Administrator mode: one ExplainRank handler per result, the template's close button.
    check_document(o, 'result list', o.js('return document.querySelectorAll("#list [onclick]").length;') + 1)
    hover_and_click_all(o, 'result list', '#list a, #list span, #list div')
    o.shot('hostile-01-list')
    expect(o.scripts_run() is None, 'script ran: %r' % o.scripts_run())


def step_explanations(o):
    for index in range(len(HOSTILE_LINKS) + 2):
        open_page(o, '/explainrank.htm?id=0&RankId=%d' % index)
        check_document(o, 'explanation %d' % index, 0)
        hover_and_click_all(o, 'explanation %d' % index, 'body a, body p, body .parsed, body h1, body h2')
    expect(o.scripts_run() is None, 'script ran: %r' % o.scripts_run())


def step_saved_search(o):
    open_page(o, '/saveresults?filenametosave=hostile&id=0')
    o.driver.get(o.url('/loadresults?xmlfilename=hostile'))
    wait_until('the loaded frame set', lambda: o.js(
        'var f = document.getElementById("frameset"); return f && !f.hidden;'))
    o.reloaded('mainFrame', 'list')
    expect('Hostile tag link' in list_texts(o), 'the loaded search lost its results')
    check_document(o, 'loaded list', o.js('return document.querySelectorAll("#list [onclick]").length;') + 1)
    hover_and_click_all(o, 'loaded list', '#list a, #list span, #list div')
    o.shot('hostile-02-loaded')
    expect(o.scripts_run() is None, 'script ran: %r' % o.scripts_run())


def step_failure_line(o):
    o.driver.get(o.url('/mainframe.htm?id=999'))
    line = wait_until('the failure line', lambda: o.driver.find_elements(By.CSS_SELECTOR, 'p.failure'))[0]
    expect('Source timeout' in line.text, 'the start page shows %r' % line.text)
    line.find_element(By.TAG_NAME, 'button').click()
    wait_until('the dismissal', lambda: not o.driver.find_elements(By.CSS_SELECTOR, 'p.failure'))
    o.shot('hostile-03-failure')


STEPS = [step_result_list, step_explanations, step_saved_search, step_failure_line]


def main():
    return run_steps(HostileOrvane, STEPS, 'hostile-')


if __name__ == '__main__':
    sys.exit(main())
