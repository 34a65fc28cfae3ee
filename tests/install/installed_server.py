#!/usr/bin/python3
"""Installs Orvane into a temporary prefix and runs the installed server.

The installed share folder is made read-only, as a system package leaves it;
the server must then find its pages from its own place, keep its log in the
user's state folder, answer the start page and the browser's search
description, and run a search against the engine simulator (nothing leaves
127.0.0.1). As root the server runs as "nobody", for whom read-only means
read-only.

usage: installed_server.py BUILD_DIR CMAKE
"""
import os
import socket
import stat
import subprocess
import sys
import tempfile
import time
import urllib.request

TIMEOUT = 15


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def wait_until(what, check, timeout=TIMEOUT):
    end = time.time() + timeout
    while time.time() < end:
        if check():
            return
        time.sleep(0.05)
    raise AssertionError('timed out waiting for ' + what)


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


def read(path):
    with open(path, encoding='latin-1') as text:
        return text.read()


def get(port, path):
    with urllib.request.urlopen('http://127.0.0.1:%d%s' % (port, path), timeout=TIMEOUT) as page:
        return page.status, page.headers, page.read().decode('latin-1')


def make_read_only(folder):
    for root, dirs, files in os.walk(folder):
        for name in files:
            os.chmod(os.path.join(root, name), 0o444)
        os.chmod(root, 0o555)


def main(build, cmake):
    work = tempfile.mkdtemp(prefix='orvane-install-')
    prefix = os.path.join(work, 'prefix')
    subprocess.run([cmake, '--install', build, '--prefix', prefix], check=True, stdout=subprocess.DEVNULL)

    share = os.path.join(prefix, 'share')
    for path in ('bin/orvane-server', 'share/orvane/Resources/html/default.htm', 'share/orvane/Data/data.xml',
                 'share/icons/hicolor/scalable/apps/orvane.svg', 'share/orvane/autostart/orvane-server.desktop'):
        expect(os.path.exists(os.path.join(prefix, path)), path + ' is not installed')
    program = os.path.join(prefix, 'bin', 'orvane-server')
    expect('\nExec=%s --boost\n' % program in read(os.path.join(share, 'applications', 'orvane.desktop')),
           'the launcher does not run the installed program')
    expect('\nExecStart=%s\n' % program in read(os.path.join(share, 'systemd', 'user', 'orvane.service')),
           'the user unit does not run the installed program')

    # The engine check reads the installed data file by default.
    blank = os.path.join(work, 'Google_file_0.htm')
    with open(blank, 'w') as page:
        page.write('<html></html>')
    check = subprocess.run([os.path.join(prefix, 'bin', 'orvane-check-engines'), blank], capture_output=True, text=True)
    expect(check.returncode == 1 and check.stdout.startswith(
        'data file: %s\n' % os.path.join(share, 'orvane', 'Data', 'data.xml')), 'engine check: ' + check.stdout)

    processes = []
    try:
        ports = os.path.join(work, 'engines.ini')
        processes.append(subprocess.Popen([os.path.join(build, 'engine-simulator'), '--ports-file', ports,
                                           '--log', os.path.join(work, 'simulator.log')],
                                          stdout=subprocess.DEVNULL))
        wait_until('the simulator', lambda: os.path.exists(ports) and os.path.getsize(ports) > 0)
        time.sleep(0.1)
        port = free_port()
        config = os.path.join(work, 'orvane.ini')
        with open(config, 'w') as out, open(ports) as engines:
            # No InstallationDir: the installed program finds its own.
            out.write('[Software\\Orvane]\nPort=%d\nOrvaneURL=\n' % port)
            out.write(engines.read())
        env = {'PATH': os.environ.get('PATH', '/usr/bin:/bin')}
        for name in ('HOME', 'XDG_RUNTIME_DIR', 'XDG_STATE_HOME', 'XDG_DATA_HOME'):
            env[name] = os.path.join(work, name.lower())
            os.makedirs(env[name], mode=0o700)
        make_read_only(os.path.join(share, 'orvane'))
        command = [program, '--config', config]
        if os.geteuid() == 0:
            for root, dirs, files in os.walk(work):
                for name in dirs + files:
                    os.lchown(os.path.join(root, name), 65534, 65534)
            os.chown(work, 65534, 65534)
            command = ['setpriv', '--reuid=65534', '--regid=65534', '--clear-groups'] + command
        stderr = open(os.path.join(work, 'stderr.txt'), 'w')
        server = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=stderr)
        processes.append(server)

        def answers():
            try:
                return get(port, '/spacer.htm')[0] == 200
            except OSError:
                return False
        wait_until('the installed server', answers)

        status, _, start = get(port, '/default.htm')
        expect(status == 200 and 'href="/opensearch.xml"' in start, 'the start page does not link the description')
        status, headers, description = get(port, '/opensearch.xml')
        expect(headers['Content-Type'].startswith('application/opensearchdescription+xml'), 'description type')
        template = 'http://127.0.0.1:%d/find?q={searchTerms}' % port
        expect(template in description, 'the description names no search of this server: ' + description)
        # The address bar fills in the words; the answer is the result pages' frame set.
        status, _, frames = get(port, template.replace('http://127.0.0.1:%d' % port, '')
                                .replace('{searchTerms}', 'installed+search'))
        expect(status == 200 and 'mainFrame' in frames and 'installed search' in frames,
               'the search did not land on the result pages')

        log = os.path.join(env['XDG_STATE_HOME'], 'orvane', 'OrvaneServer.log')
        wait_until('the log in the state folder', lambda: os.path.exists(log) and 'installed search' in read(log))
        for name in ('OrvaneServer.log', 'Preferences.ini'):
            expect(not os.path.exists(os.path.join(share, 'orvane', name)) and
                   not os.path.exists(os.path.join(share, 'orvane', 'Data', name)), name + ' in the share folder')
        expect(os.path.exists(os.path.join(env['XDG_STATE_HOME'], 'orvane', 'Preferences.ini')),
               'the preferences are not kept in the state folder')
        expect(os.stat(log).st_uid == (65534 if os.geteuid() == 0 else os.geteuid()), 'the server ran as root')

        server.terminate()
        expect(server.wait(10) == 0, 'the server did not end cleanly on SIGTERM')
    finally:
        for process in reversed(processes):
            if process.poll() is None:
                process.kill()
                process.wait()
        for root, dirs, files in os.walk(work):
            os.chmod(root, stat.S_IRWXU)
        subprocess.run(['rm', '-rf', work])


if __name__ == '__main__':
    try:
        main(sys.argv[1], sys.argv[2])
    except AssertionError as error:
        print('FAILED: %s' % error)
        sys.exit(1)
    print('installed server: all checks passed')
