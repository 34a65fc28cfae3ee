"""Accessibility audits of Orvane's pages with axe-core in the running Chromium.

axe-core comes from the npm registry at set-up time (scripts/install-deps puts
it under /opt/orvane-axe); ORVANE_AXE_CORE may name another axe.min.js. The
test never downloads it.
"""
import os

AXE_PLACES = ('/opt/orvane-axe/node_modules/axe-core/axe.min.js',)
FAILING_IMPACTS = ('serious', 'critical')
SCHEMES = ('light', 'dark')


def axe_source():
    """The text of axe.min.js, or None when it is not installed."""
    places = [os.environ['ORVANE_AXE_CORE']] if os.environ.get('ORVANE_AXE_CORE') else list(AXE_PLACES)
    for place in places:
        if os.path.isfile(place):
            with open(place, encoding='utf-8') as script:
                return script.read()
    return None


def set_media(driver, scheme='light', reduced_motion=False):
    """Emulates the user's colour scheme and motion choice for the whole tab."""
    driver.execute_cdp_cmd('Emulation.setEmulatedMedia', {'features': [
        {'name': 'prefers-color-scheme', 'value': scheme},
        {'name': 'prefers-reduced-motion', 'value': 'reduce' if reduced_motion else 'no-preference'}]})


# Frames are audited one by one, each in its own document, so axe does not
# wait for copies of itself in the frames.
RUN_AXE = '''
  var done = arguments[arguments.length - 1];
  if (!window.axe) eval(arguments[0]);
  axe.run(document, {iframes: false, resultTypes: ['violations']}).then(function (report) {
    done(report.violations.map(function (rule) {
      return {id: rule.id, impact: rule.impact, help: rule.help,
              nodes: rule.nodes.map(function (node) {
                return node.target.join(' ') + (node.failureSummary ? ': ' + node.failureSummary.split('\\n')[1] : '');
              })};
    }));
  }, function (error) { done('axe failed: ' + error); });'''


def violations(driver, source):
    """The axe violations of the document of the current frame."""
    driver.set_script_timeout(60)
    found = driver.execute_async_script(RUN_AXE, source)
    if isinstance(found, str):
        raise AssertionError(found)
    return found


def describe(page, scheme, found):
    lines = []
    for rule in found:
        lines.append('  %s %s [%s] %s: %d node(s), e.g. %s' % (
            page, scheme, rule['impact'], rule['id'], len(rule['nodes']), rule['nodes'][0] if rule['nodes'] else ''))
    return lines


class Auditor:
    """Runs axe on the pages of one walk-through and keeps what it found."""

    def __init__(self, driver):
        self.driver = driver
        self.source = axe_source()
        self.minor = []
        self.audited = 0

    def available(self):
        return self.source is not None

    def audit(self, page, enter, scheme):
        """Audits the document that enter() switches to, in the given scheme.

        Fails on a serious or critical violation; keeps the others to list."""
        set_media(self.driver, scheme)
        enter()
        dark = self.driver.execute_script('return matchMedia("(prefers-color-scheme: dark)").matches;')
        if dark != (scheme == 'dark'):
            raise AssertionError('the %s scheme is not in effect on %s' % (scheme, page))
        found = violations(self.driver, self.source)
        self.audited += 1
        bad = [rule for rule in found if rule['impact'] in FAILING_IMPACTS]
        self.minor.extend(describe(page, scheme, [rule for rule in found if rule not in bad]))
        if bad:
            raise AssertionError('axe finds on %s (%s):\n%s' % (page, scheme, '\n'.join(describe(page, scheme, bad))))

    def audit_schemes(self, page, enter, shot=None):
        """Audits in both schemes; shot(name) saves a picture of each.

        The tab is left in the light scheme, in the document enter() chose."""
        try:
            for scheme in SCHEMES:
                self.audit(page, enter, scheme)
                if shot:
                    shot('a11y-%s-%s' % (page, scheme))
        finally:
            set_media(self.driver, 'light')
            enter()

    def report(self):
        print('axe: %d audits; %d minor or moderate finding(s)' % (self.audited, len(self.minor)))
        for line in self.minor:
            print(line)
