#!/usr/bin/python3
"""Drives Orvane's result pages in a real headless Chromium.

Starts the engine simulator and the server on a temporary installation (every
engine on the simulator, nothing leaves 127.0.0.1), then walks through a
search as a user would, checking what each page shows. Screenshots go to
<build>/test-artefacts/. Every page is also audited with axe-core in the light
and the dark colour scheme (axe_audit.py). Exits 77 when Chromium, its driver,
Selenium or axe-core are missing.

usage: result_pages.py BUILD_DIR
"""
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.parse
import urllib.request

import axe_audit

SKIP = 77
KEYWORDS = 'astronomy telescope'
TIMEOUT = 20

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.common.exceptions import WebDriverException
except ImportError:
    print('SKIP: python3-selenium is not installed')
    sys.exit(SKIP)


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def wait_until(what, check, timeout=TIMEOUT):
    end = time.time() + timeout
    last = None
    while time.time() < end:
        try:
            value = check()
            if value:
                return value
        except WebDriverException as error:
            last = error
        time.sleep(0.05)
    raise AssertionError('timed out waiting for ' + what + (': ' + str(last) if last else ''))


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


class Orvane:
    """The simulator, the server and the browser of one run."""

    def __init__(self, build):
        self.build = build
        self.work = tempfile.mkdtemp(prefix='orvane-browser-')
        self.artefacts = os.path.join(build, 'test-artefacts')
        os.makedirs(self.artefacts, exist_ok=True)
        self.processes = []
        self.driver = None
        self.auditor = None

    def start(self):
        install = os.path.join(self.work, 'inst') + '/'
        shutil.copytree(os.path.join(self.build, 'Resources'), install + 'Resources')
        shutil.copytree(os.path.join(self.build, 'Data'), install + 'Data')
        # Administrator mode shows each result's rank; same-window links keep
        # the test in one window.
        with open(install + 'Data/Preferences.ini', 'w') as ini:
            ini.write('[General]\r\nAdminMode=-1\r\nOpenInNewWindow=0\r\n')
        ports = os.path.join(self.work, 'engines.ini')
        self.processes.append(subprocess.Popen(
            [os.path.join(self.build, 'engine-simulator'), '--ports-file', ports, '--delay-ms', '800',
             '--log', os.path.join(self.work, 'simulator.log')]))
        wait_until('the simulator', lambda: os.path.exists(ports) and os.path.getsize(ports) > 0, 10)
        time.sleep(0.1)
        self.port = free_port()
        config = os.path.join(self.work, 'orvane.ini')
        with open(config, 'w') as out, open(ports) as engines:
            out.write('[Software\\Orvane]\nPort=%d\nOrvaneURL=\nInstallationDir=%s\n' % (self.port, install))
            out.write(engines.read())
        env = dict(os.environ)
        for name in ('XDG_RUNTIME_DIR', 'XDG_DATA_HOME', 'HOME'):
            env[name] = os.path.join(self.work, name.lower())
            os.makedirs(env[name], exist_ok=True)
        env.pop('BROWSER', None)
        self.processes.append(subprocess.Popen(
            [os.path.join(self.build, 'orvane-server'), '--config', config], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_until('the server', self.answers, 10)

        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which('chromium')
        for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--disable-dev-shm-usage', '--window-size=1280,800',
                     # Every name but our own address fails to resolve: the
                     # browser reaches nothing beyond 127.0.0.1.
                     '--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1',
                     '--user-data-dir=' + os.path.join(self.work, 'profile')):
            options.add_argument(flag)
        options.page_load_strategy = 'none'
        self.driver = webdriver.Chrome(service=Service(shutil.which('chromedriver')), options=options)
        self.auditor = axe_audit.Auditor(self.driver)

    def answers(self):
        try:
            with urllib.request.urlopen('http://127.0.0.1:%d/spacer.htm' % self.port, timeout=1) as page:
                return page.status == 200
        except OSError:
            return False

    def stop(self):
        if self.driver:
            self.driver.quit()
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.work, ignore_errors=True)

    def url(self, path):
        return 'http://127.0.0.1:%d%s' % (self.port, path)

    def shot(self, name):
        self.driver.switch_to.default_content()
        self.driver.save_screenshot(os.path.join(self.artefacts, name + '.png'))

    # Frames. A frame is marked before an action; it has reloaded once the
    # mark is gone and its page is complete.
    def frame(self, name):
        self.driver.switch_to.default_content()
        self.driver.switch_to.frame(name)

    def mark(self, *names):
        for name in names:
            self.frame(name)
            self.driver.execute_script('window.orvaneOld = true;')

    def reloaded(self, name, ready_id):
        def check():
            self.frame(name)
            return self.driver.execute_script(
                'return !window.orvaneOld && document.readyState === "complete" && '
                '!!document.getElementById(arguments[0]);', ready_id)
        wait_until(name + ' to reload', check)

    def after(self, origin, action, *frames):
        """Runs action in the frame origin and waits until the named frames have reloaded."""
        self.mark(*frames)
        self.frame(origin)
        action()
        for name in frames:
            self.reloaded(name, 'list' if name == 'mainFrame' else 'tab1')

    def audit(self, page, enter):
        """Audits the document enter() switches to, in both colour schemes, with pictures of both."""
        if self.auditor.available():
            self.auditor.audit_schemes(page, enter, self.shot)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    # What the results frame shows.
    def results(self):
        self.frame('mainFrame')
        return self.js('''
          var list = [];
          document.querySelectorAll('#list .result').forEach(function (r) {
            var rank = r.querySelector('.meta a');
            var place = /Location (\\d+) on/.exec(r.textContent);
            list.push({title: r.querySelector('a.regtext').textContent, text: r.textContent,
                       rank: rank ? Number(rank.textContent) : null, place: place ? Number(place[1]) : null});
          });
          return {shown: Number(document.getElementById('shown').textContent),
                  total: Number(document.getElementById('total').textContent),
                  caption: document.getElementById('caption').textContent, list: list};''')

    def page_shown(self):
        self.frame('bottomFrame')
        return self.js('return document.body.getAttribute("data-page");')

    def click(self, css):
        element = self.driver.find_element(By.CSS_SELECTOR, css)
        self.js('arguments[0].scrollIntoView({block: "center"});', element)
        element.click()
        return element


def number(text, what):
    expect(re.fullmatch(r'-?\d+', text.strip()), '%s is %r, not a number' % (what, text))
    return int(text)


def pane_entry(text):
    """The caption and the count of a pane link such as ".com (12)"."""
    match = re.search(r'^\s*(.*?)\s*\((\d+)\)\s*$', text)
    expect(match, 'no count in pane entry ' + repr(text))
    return match.group(1), int(match.group(2))


def document_ready(o, ready_id=None):
    return o.js('return document.readyState === "complete" && (!arguments[0] || !!document.getElementById(arguments[0]));',
                ready_id)


def step_pages_without_session(o):
    for page, path, ready_id in (('start', '/default.htm', 'keywords'), ('welcome', '/mainframe.htm', None),
                                 ('options-without-session', '/bottomframe.htm', 'tab1'),
                                 ('error', '/Error.htm?Error=Test', 'message')):
        o.driver.get(o.url(path))
        wait_until(path, lambda: document_ready(o, ready_id))
        o.audit(page, o.driver.switch_to.default_content)


def step_start_page_layout(o):
    # While no search runs the engine row follows the keyword field closely:
    # neither the field nor the hidden progress line leaves an empty band.
    o.driver.get(o.url('/default.htm'))
    wait_until('the start page', lambda: document_ready(o, 'keywords'))
    box = o.js("""
      var top = function (s) { return document.querySelector(s).getBoundingClientRect().top; };
      var bottom = function (s) { return document.querySelector(s).getBoundingClientRect().bottom; };
      return {band: top('#homesearch .row') - bottom('#keywords'),
              progress: document.getElementById('homeprogress').getBoundingClientRect().height};""")
    expect(0 <= box['band'] <= 24, 'a band of %.0f px between the keyword field and the engine row' % box['band'])
    expect(box['progress'] == 0, 'the hidden progress line takes %.0f px' % box['progress'])


def step_reduced_motion(o):
    o.driver.get(o.url('/default.htm'))
    wait_until('the start page', lambda: document_ready(o, 'keywords'))
    spin = 'return getComputedStyle(document.querySelector("#homeprogress .spinner")).animationName;'
    try:
        for reduced, expected in ((False, 'spin'), (True, 'none')):
            axe_audit.set_media(o.driver, reduced_motion=reduced)
            expect(o.js(spin) == expected, 'with reduced motion %s the spinner runs %r' % (reduced, o.js(spin)))
    finally:
        axe_audit.set_media(o.driver)


def step_search(o):
    o.driver.get(o.url('/default.htm'))
    wait_until('the start page', lambda: o.driver.find_elements(By.ID, 'keywords'))
    # The page is gone once the answer arrives, so what the progress line
    # showed is kept in the tab's session storage.
    o.js("""
      var box = document.getElementById('homeprogress');
      new MutationObserver(function () {
        if (!box.hidden) sessionStorage.setItem('progress', box.textContent.replace(/\\s+/g, ' '));
      }).observe(box, {attributes: true, childList: true, subtree: true, characterData: true});""")
    box = o.driver.find_element(By.ID, 'keywords')
    box.send_keys(KEYWORDS)
    box.send_keys(Keys.ENTER)
    progress = wait_until('the progress line', lambda: o.js('return sessionStorage.getItem("progress");'), 10)
    expect('Searching Google for \u201castronomy telescope\u201d' in progress, 'progress shows ' + repr(progress))
    expect(re.search(r'\d+ s', progress), 'no elapsed seconds in ' + repr(progress))
    wait_until('the frame set', lambda: o.js(
        'var f = document.getElementById("frameset"); return f && !f.hidden;'))
    o.reloaded('mainFrame', 'list')
    o.reloaded('bottomFrame', 'tab1')
    o.driver.switch_to.default_content()
    expect(o.driver.find_element(By.ID, 'topkeywords').get_attribute('value') == KEYWORDS,
           'the header form lost the keywords')
    shown = o.results()
    expect(shown['shown'] > 0, 'no results shown')
    expect(shown['shown'] == len(shown['list']), '%d results counted, %d listed' % (shown['shown'], len(shown['list'])))
    expect(shown['shown'] <= shown['total'], 'more shown than found')
    o.shot('01-results')


def step_audit_result_pages(o):
    o.audit('frameset', o.driver.switch_to.default_content)
    o.audit('results', lambda: o.frame('mainFrame'))
    o.audit('options-clusters', lambda: o.frame('bottomFrame'))


def focused(o):
    return o.js('var e = document.activeElement; return e && (e.id || e.tagName.toLowerCase());')


def press(o, key):
    ActionChains(o.driver).send_keys(key).perform()


def step_skip_link(o):
    o.driver.switch_to.default_content()
    o.js('document.activeElement.blur();')
    press(o, Keys.TAB)
    skip = o.driver.switch_to.active_element
    expect(skip.text == 'Skip to the results', 'the first Tab reaches %r, not the skip link' % skip.text)
    expect(o.js('return arguments[0].getBoundingClientRect().left >= 0;', skip), 'the focused skip link is off screen')
    press(o, Keys.ENTER)
    expect(focused(o) == 'mainFrame', 'the skip link leads to %r' % focused(o))
    o.frame('mainFrame')
    expect(focused(o) == 'list', 'inside the results frame the focus is on %r' % focused(o))


FOCUS_STATE = '''
  var e = document.activeElement, s = getComputedStyle(e);
  return {here: e.matches(arguments[0]), name: e.outerHTML.slice(0, 80),
          shown: (s.outlineStyle !== 'none' && parseFloat(s.outlineWidth) > 0) || s.boxShadow !== 'none'};'''


def tab_to(o, css, limit=80):
    """Presses Tab until the focus is on an element matching css; every stop
    on the way must show the focus."""
    unseen = []
    for _ in range(limit):
        press(o, Keys.TAB)
        state = o.js(FOCUS_STATE, css)
        if not state['shown']:
            unseen.append(state['name'])
        if state['here']:
            expect(not unseen, 'no visible focus on %s' % unseen)
            return
    raise AssertionError('%d presses of Tab never reach %s' % (limit, css))


def keyboard_action(o, css, key):
    """From the first tab of the options frame, Tab to css and press key there."""
    o.frame('bottomFrame')
    o.driver.find_element(By.ID, 'tab1').click()
    tab_to(o, css)
    o.after('bottomFrame', lambda: press(o, key), 'bottomFrame', 'mainFrame')


def step_keyboard(o):
    """Narrows, clears and changes the order with Tab, Enter and Space alone."""
    o.frame('bottomFrame')
    o.driver.find_element(By.ID, 'tab1').click()
    tab_to(o, '#narrow')
    press(o, 'spectroscopy')
    o.after('bottomFrame', lambda: press(o, Keys.ENTER), 'bottomFrame', 'mainFrame')
    expect('narrowed down by' in o.results()['caption'], 'Enter in the narrow field did not narrow')
    keyboard_action(o, '[form=clearnarrow]', Keys.SPACE)
    expect('narrowed' not in o.results()['caption'], 'Space on Clear did not clear the narrowing')
    keyboard_action(o, 'button[name=originalorder][value="1"]', Keys.ENTER)
    o.frame('bottomFrame')
    expect(o.driver.find_element(By.CSS_SELECTOR, 'button[name=originalorder][value="1"]')
           .get_attribute('aria-pressed') == 'true', 'Enter on Engine order did not choose it')
    keyboard_action(o, 'button[name=originalorder][value="0"]', Keys.SPACE)
    ranks = [r['rank'] for r in o.results()['list']]
    expect(all(a >= b for a, b in zip(ranks, ranks[1:])), 'Space on Orvane rank did not bring back the score order')


def step_score_order(o):
    ranks = [r['rank'] for r in o.results()['list']]
    expect(all(rank is not None for rank in ranks), 'a result without its Orvane rank')
    expect(all(a >= b for a, b in zip(ranks, ranks[1:])), 'ranks not in score order: %s' % ranks[:20])


def step_word_cluster(o):
    o.frame('bottomFrame')
    link = o.driver.find_element(By.CSS_SELECTOR, '#words a[href*="selectword"]')
    word, count = pane_entry(link.text)
    o.after('bottomFrame', lambda: o.click('#words a[href*="selectword"]'), 'bottomFrame', 'mainFrame')
    shown = o.results()
    expect('showing results with word "%s"' % word in shown['caption'], 'caption ' + repr(shown['caption']))
    expect(shown['shown'] == count, 'word pane said %d, results frame shows %d' % (count, shown['shown']))
    o.frame('bottomFrame')
    expect(o.js('return document.querySelector("#words b").textContent;').startswith(word), 'word not in bold')
    o.shot('02-word-cluster')


def step_extension_slice(o):
    o.frame('bottomFrame')
    o.click('#tab2')
    link = o.driver.find_element(By.CSS_SELECTOR, '#domains a[href*="SliceResults.htm"]')
    # The pane writes the count after the link: "Commercial (12)".
    after = o.driver.execute_script(
        'var n = arguments[0].nextSibling; return n ? n.textContent : "";', link)
    name, count = pane_entry(link.text + ' ' + after.replace('\u00a0', ' '))
    box_id = re.search(r"ExtensionSelected\('([^']+)'", link.get_attribute('onclick')).group(1)
    o.after('bottomFrame', lambda: o.click('#domains a[href*="SliceResults.htm"]'), 'bottomFrame', 'mainFrame')
    shown = o.results()
    expect('showing results with domain extension' in shown['caption'], 'caption ' + repr(shown['caption']))
    expect(shown['shown'] == count, 'pane said %d for %s, results frame shows %d' % (count, name, shown['shown']))
    expect(o.page_shown() == '2', 'the Advanced page is not shown after its slice')
    expect(o.driver.find_element(By.ID, box_id).is_selected(), 'the sliced extension is not checked')
    o.shot('03-extension-slice')


def step_narrow(o):
    o.frame('bottomFrame')
    o.click('#tab1')
    field = o.driver.find_element(By.ID, 'narrow')
    field.clear()
    field.send_keys('spectroscopy')
    o.after('bottomFrame', lambda: o.click('#narrowform button[type=submit]'), 'bottomFrame', 'mainFrame')
    shown = o.results()
    expect('narrowed down by \u201cspectroscopy\u201d' in shown['caption'], 'caption ' + repr(shown['caption']))
    expect(0 < shown['shown'] < shown['total'], 'narrowing shows %d of %d' % (shown['shown'], shown['total']))
    expect(all('spectroscopy' in r['text'].lower() for r in shown['list']), 'a result without the word')
    o.frame('bottomFrame')
    expect(o.driver.find_element(By.ID, 'narrow').get_attribute('value') == 'spectroscopy', 'narrow field emptied')
    expect(o.driver.find_element(By.CSS_SELECTOR, '[form=clearnarrow]').is_enabled(), 'Clear stays disabled')
    o.frame('mainFrame')
    expect(o.js('return document.querySelectorAll("#list font.mark").length;') > 0, 'the narrowing word is not marked')
    o.audit('results-narrowed', lambda: o.frame('mainFrame'))
    o.shot('04-narrow')
    o.after('bottomFrame', lambda: o.click('[form=clearnarrow]'), 'bottomFrame', 'mainFrame')
    shown = o.results()
    expect(shown['shown'] == shown['total'] or 'narrowed' not in shown['caption'], 'narrowing not cleared')


def step_order(o):
    o.frame('bottomFrame')
    o.click('#tab1')
    o.after('bottomFrame', lambda: o.click('button[name=originalorder][value="1"]'), 'bottomFrame', 'mainFrame')
    places = [r['place'] for r in o.results()['list'] if r['place'] is not None]
    expect(len(places) > 1, 'no engine places to compare')
    expect(places == sorted(places), 'not in engine order: %s' % places[:20])
    o.frame('bottomFrame')
    expect(o.driver.find_element(By.CSS_SELECTOR, 'button[name=originalorder][value="1"]')
           .get_attribute('aria-pressed') == 'true', 'engine order not marked as current')
    o.shot('05-engine-order')
    o.after('bottomFrame', lambda: o.click('button[name=originalorder][value="0"]'), 'bottomFrame', 'mainFrame')
    ranks = [r['rank'] for r in o.results()['list']]
    expect(all(a >= b for a, b in zip(ranks, ranks[1:])), 'score order not back')


def step_pages(o):
    o.frame('bottomFrame')
    for tab, page in (('#tab2', '2'), ('#tab3', '3'), ('#tab1', '1')):
        o.click(tab)
        expect(o.page_shown() == page, 'tab %s shows page %s' % (tab, o.page_shown()))
        expect(o.driver.find_element(By.ID, 'page' + page).is_displayed(), 'page %s hidden' % page)
    o.driver.find_element(By.ID, 'tab1').send_keys(Keys.ARROW_RIGHT)
    expect(o.page_shown() == '2', 'the arrow key does not move to the next page')
    expect(o.js('return document.activeElement.id;') == 'tab2', 'focus did not follow the arrow key')
    o.shot('06-advanced-page')
    for tab, name in (('#tab2', 'options-advanced'), ('#tab3', 'options-data-tools')):
        o.frame('bottomFrame')
        o.click(tab)
        o.audit(name, lambda: o.frame('bottomFrame'))
    o.frame('bottomFrame')
    o.click('#tab1')


def step_custom_preferences(o):
    o.frame('bottomFrame')
    o.click('#tab2')
    o.click('input[name=titlerank][value="10"]')
    box = o.driver.find_element(By.ID, 'homepageonly')
    if not box.is_selected():
        o.click('#homepageonly')
    o.after('bottomFrame', lambda: o.click('#saveprefs'), 'bottomFrame', 'mainFrame')
    expect(o.page_shown() == '2', 'saving did not return to the Advanced page')
    expect(o.driver.find_element(By.CSS_SELECTOR, 'input[name=titlerank][value="10"]').is_selected(),
           'title weight not kept as high')
    expect(o.driver.find_element(By.ID, 'homepageonly').is_selected(), 'home-page-only not kept')
    homepages = int(re.search(r'\((\d+) of', o.driver.find_element(By.CSS_SELECTOR, 'label[for=homepageonly]').text)
                    .group(1))
    expect('Custom' in o.js('return document.getElementById("subjects").textContent;'), 'no Custom subject')
    shown = o.results()
    expect('showing only homepage results' in shown['caption'], 'caption ' + repr(shown['caption']))
    expect(shown['shown'] <= homepages, '%d shown but %d home pages' % (shown['shown'], homepages))
    o.shot('07-custom-preferences')


def step_subject(o):
    o.frame('bottomFrame')
    o.click('#tab1')
    o.after('bottomFrame', lambda: o.click('#subjects a[href*="predefinedname=News"]'), 'bottomFrame', 'mainFrame')
    o.frame('bottomFrame')
    bold = o.js('var b = document.querySelector("#subjects b"); return b && b.textContent;')
    expect(bold == 'News', 'the subject shown in bold is %r, not News' % bold)
    expect(o.page_shown() == '1', 'choosing a subject did not show the Clusters page')
    shown = o.results()
    expect(shown['shown'] > 0, 'no results under the News subject')
    o.shot('08-subject')


def step_statistics(o):
    o.frame('bottomFrame')
    o.mark('mainFrame')
    o.frame('bottomFrame')
    o.click('#statisticslink')
    wait_until('the statistics page', lambda: (o.frame('mainFrame'), o.js(
        'return !window.orvaneOld && document.readyState === "complete" && '
        '!!document.getElementById("matches");'))[1])
    total = number(o.driver.find_element(By.ID, 'slice-total').text, 'the result count')
    expect(total > 0, 'statistics count no results')
    expect('astronomy telescope' in o.driver.find_element(By.ID, 'keywords').text, 'keywords missing')
    exact = number(o.driver.find_element(By.ID, 'slice-title-exact').text, 'the exact title count')
    expect(exact <= total, 'more exact title matches than results')
    o.shot('09-statistics')
    o.audit('statistics', lambda: o.frame('mainFrame'))
    o.after('mainFrame', lambda: o.click('#slice-title-exact'), 'mainFrame', 'bottomFrame')
    shown = o.results()
    expect(shown['shown'] == exact, 'statistics said %d, slice shows %d' % (exact, shown['shown']))
    expect(all('astronomy telescope' in r['title'].lower() for r in shown['list']), 'a title without the phrase')


def step_explain_rank(o):
    o.frame('bottomFrame')
    o.after('bottomFrame', lambda: o.click('#showlinks a[href*="WhatToShow=Total"]'), 'mainFrame')
    first = o.results()['list'][0]
    o.click('#list .result .meta a')
    expect(o.js('return document.getElementById("explain").open;'), 'the explanation dialog did not open')
    o.driver.switch_to.frame('explainFrame')
    wait_until('the explanation', lambda: o.js(
        'return document.readyState === "complete" && document.getElementById("total") && '
        'document.getElementById("total").textContent.trim();'))
    expect(number(o.driver.find_element(By.ID, 'total').text, 'the total') == first['rank'], 'total differs from the list rank')
    expect(o.driver.find_element(By.ID, 'resulttitle').text == first['title'].strip(), 'another result explained')
    expect('\u2714' in o.driver.find_element(By.ID, 'check').text, 'the terms do not add up to the total')
    o.shot('10-explain-rank')
    o.audit('explanation', lambda: (o.frame('mainFrame'), o.driver.switch_to.frame('explainFrame')))
    o.audit('results-with-explanation', lambda: o.frame('mainFrame'))


def first_titles(o, count=5):
    return [r['title'] for r in o.results()['list'][:count]]


def step_saved_results(o):
    # The Web subject shows the search as processed afresh, as a load does.
    o.frame('bottomFrame')
    o.click('#tab1')
    o.after('bottomFrame', lambda: o.click('#subjects a[href*="predefinedname=Web"]'), 'bottomFrame', 'mainFrame')
    saved = first_titles(o)
    expect(saved, 'nothing to save')
    o.frame('bottomFrame')
    o.click('#tab3')
    name = o.driver.find_element(By.ID, 'filenametosave')
    name.clear()
    name.send_keys('stars')
    o.after('bottomFrame', lambda: o.click('#saveform button[type=submit]'), 'bottomFrame')
    expect(o.page_shown() == '3', 'the Data Tools page is not shown after saving')
    selected = o.js('var s = document.getElementById("xmlfilename"); return s.value;')
    expect(selected == 'stars', 'the saved search is not the one selected: %r' % selected)
    o.shot('12-saved')

    # Another search in a fresh start page, then the saved one from the list.
    o.driver.get(o.url('/default.htm'))
    box = wait_until('the start page', lambda: o.driver.find_elements(By.ID, 'keywords'))[0]
    box.send_keys('harbour lights')
    box.send_keys(Keys.ENTER)
    wait_until('the frame set', lambda: o.js('var f = document.getElementById("frameset"); return f && !f.hidden;'))
    o.reloaded('mainFrame', 'list')
    o.reloaded('bottomFrame', 'tab1')
    expect(first_titles(o) != saved, 'the other search shows the saved results')
    o.frame('bottomFrame')
    o.click('#tab3')
    o.js('document.getElementById("xmlfilename").value = "stars";')
    o.mark('mainFrame', 'bottomFrame')
    o.frame('bottomFrame')
    o.click('#loadbutton')
    wait_until('the loaded frame set', lambda: (o.driver.switch_to.default_content(), o.js(
        'var f = document.getElementById("frameset"); return f && !f.hidden && '
        'document.getElementById("topkeywords").value;'))[1] == KEYWORDS)
    o.reloaded('mainFrame', 'list')
    o.reloaded('bottomFrame', 'tab1')
    expect(first_titles(o) == saved, 'loaded %r, saved %r' % (first_titles(o), saved))
    o.shot('13-loaded')

    o.frame('bottomFrame')
    o.click('#tab3')
    o.js('document.getElementById("xmlfilename").value = "stars";')
    o.after('bottomFrame', lambda: o.click('#deletebutton'), 'bottomFrame')
    left = o.js('return Array.from(document.querySelectorAll("#xmlfilename option")).map(function (x) {'
                ' return x.value; });')
    expect('stars' not in left, 'the deleted search is still listed: %r' % left)


def step_export(o):
    listed = [r['title'] for r in o.results()['list']]
    o.frame('bottomFrame')
    o.click('#tab3')
    href = o.driver.find_element(By.ID, 'exportjson').get_attribute('href')
    expect(re.search(r'/export\.json\?id=\d+$', href), 'export link ' + repr(href))
    exported = o.driver.execute_async_script(
        'var done = arguments[arguments.length - 1];'
        'fetch(arguments[0]).then(function (r) { return r.json(); }).then(done, function (e) { done(String(e)); });',
        href)
    expect(isinstance(exported, list), 'the export did not read as JSON: %r' % exported)
    titles = [row['title'] for row in exported[:len(listed)]]
    expect(titles == listed, 'exported %r, shown %r' % (titles[:5], listed[:5]))


def step_address_bar(o):
    o.driver.get(o.url('/default.htm'))
    wait_until('the start page', lambda: o.driver.find_elements(By.ID, 'keywords'))
    href = o.js('var l = document.querySelector("link[rel=search]"); return l && l.href;')
    expect(href == o.url('/opensearch.xml'), 'the start page links %r' % href)
    template = o.driver.execute_async_script(
        'var done = arguments[arguments.length - 1];'
        'fetch(arguments[0]).then(function (r) { return r.text(); }).then(function (t) {'
        '  var url = new DOMParser().parseFromString(t, "application/xml").querySelector("Url");'
        '  done(url ? url.getAttribute("template") : t); });', href)
    expect('{searchTerms}' in template, 'no search template: %r' % template)
    # As the browser fills it in from the address bar.
    o.driver.get(template.replace('{searchTerms}', urllib.parse.quote_plus(KEYWORDS)))
    wait_until('the frame set', lambda: o.js('var f = document.getElementById("frameset"); return f && !f.hidden;'))
    o.reloaded('mainFrame', 'list')
    o.driver.switch_to.default_content()
    expect(o.driver.find_element(By.ID, 'topkeywords').get_attribute('value') == KEYWORDS,
           'the address-bar search lost its keywords')
    expect(o.results()['shown'] > 0, 'the address-bar search shows no results')


def step_error_page(o):
    o.driver.get(o.url('/Error.htm?Error=%3Cb%3ENo%20search%20keywords%3C/b%3E'))
    message = wait_until('the error message', lambda: o.js(
        'var m = document.getElementById("message"); return m && m.textContent;'))
    expect(message == '<b>No search keywords</b>', 'message shown as ' + repr(message))
    expect(not o.driver.find_elements(By.CSS_SELECTOR, '#message b'), 'the message was read as HTML')
    o.shot('11-error')


STEPS = [step_pages_without_session, step_start_page_layout, step_reduced_motion, step_search, step_audit_result_pages, step_skip_link,
         step_score_order, step_word_cluster, step_extension_slice, step_narrow, step_order, step_keyboard, step_pages, step_custom_preferences, step_subject, step_statistics, step_explain_rank, step_saved_results,
         step_export, step_address_bar, step_error_page]


def run_steps(make_orvane, steps, shot_prefix, finish=None):
    """Runs every step on one server and browser (a failing step does not stop
    the others), prints a line per step and returns the exit code."""
    if len(sys.argv) != 2:
        print(sys.modules['__main__'].__doc__)
        return 2
    for program in ('chromium', 'chromedriver'):
        if not shutil.which(program):
            print('SKIP: %s is not installed' % program)
            return SKIP
    orvane = make_orvane(os.path.abspath(sys.argv[1]))
    failed = []
    started = time.time()
    try:
        orvane.start()
        for step in steps:
            name = step.__name__[len('step_'):]
            try:
                begun = time.time()
                step(orvane)
                print('PASS %s (%.1f s)' % (name, time.time() - begun))
            except Exception as error:  # every step runs, the report lists the failures
                failed.append(name)
                print('FAIL', name + ':', error)
                if not isinstance(error, AssertionError):
                    traceback.print_exc()
                try:
                    orvane.shot('failed-' + shot_prefix + name)
                except WebDriverException:
                    pass
        if finish:
            finish(orvane)
    finally:
        orvane.stop()
    print('%d of %d steps passed in %.1f s' % (len(steps) - len(failed), len(steps), time.time() - started))
    return 1 if failed else 0


def main():
    audited = []

    def report(orvane):
        orvane.auditor.report()
        audited.append(orvane.auditor.available())

    code = run_steps(Orvane, STEPS, '', finish=report)
    if code == 0 and audited == [False]:
        print('SKIP: axe-core is not installed (scripts/install-deps), the pages were not audited')
        return SKIP
    return code


if __name__ == '__main__':
    sys.exit(main())
