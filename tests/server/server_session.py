"""Shared by the score server's tests: real server processes on free ports of
127.0.0.1, fresh SQLite files or a PostgreSQL cluster of the test's own, and
replay files made different (and still honest) by their recording date."""
import glob
import json
import os
import pwd
import shutil
import socket
import struct
import subprocess
import tempfile
import time
import urllib.error
import urllib.request

BUILD = os.environ.get('TESSIVANE_BUILD_DIR', '')
SOURCE = os.environ.get('TESSIVANE_SOURCE_DIR', os.path.join(os.path.dirname(__file__), '..', '..'))
SERVER = os.path.join(BUILD, 'tessivane-server')
HEADLESS = os.path.join(BUILD, 'tessivane-headless')
REPLAYS = os.path.join(SOURCE, 'tests', 'golden', 'replays')


def golden(name):
    with open(os.path.join(REPLAYS, name + '.tvreplay'), 'rb') as f:
        return f.read()


# ---- The replay header (platform/replay_file.h) ------------------------------

def _build_end(replay):
    n = struct.unpack_from('<H', replay, 10)[0]
    return 12 + n


def with_recorded_at(replay, seconds):
    """The same game under another recording date: other bytes, same play."""
    at = _build_end(replay)
    return replay[:at] + struct.pack('<Q', seconds) + replay[at + 8:]


def with_score(replay, score):
    """The header claims another score than the game reached."""
    at = _build_end(replay) + 20
    return replay[:at] + struct.pack('<f', score) + replay[at + 4:]


def with_build(replay, build):
    n = struct.unpack_from('<H', replay, 10)[0]
    encoded = build.encode()
    return replay[:10] + struct.pack('<H', len(encoded)) + encoded + replay[12 + n:]


def header_build(replay):
    return replay[12:_build_end(replay)].decode()


# ---- HTTP ---------------------------------------------------------------------

def request(url, data=None, method=None, headers=None, timeout=30):
    """(status, body bytes); never raises for an HTTP status."""
    req = urllib.request.Request(url, data=data, method=method, headers=headers or {})
    try:
        with urllib.request.urlopen(req, timeout=timeout) as r:
            return r.status, r.read()
    except urllib.error.HTTPError as e:
        return e.code, e.read()


def get_json(url):
    status, body = request(url)
    return status, json.loads(body) if body else None


# ---- The server -----------------------------------------------------------------

class Server:
    def __init__(self, database, *args, listen='127.0.0.1:0'):
        self.database = database
        self.log_path = tempfile.mktemp(prefix='tessivane-server-', suffix='.log')
        self.log = open(self.log_path, 'wb')
        self.process = subprocess.Popen([SERVER, '--listen', listen, '--database', database, *args],
                                        stdout=subprocess.PIPE, stderr=self.log)
        line = self.process.stdout.readline().decode()
        if 'listening on ' not in line:
            self.process.wait(10)
            raise RuntimeError('the server did not start: ' + line + self.log_text())
        self.url = line.split('listening on ', 1)[1].strip().rstrip('/')

    def log_text(self):
        self.log.flush()
        with open(self.log_path, 'r', errors='replace') as f:
            return f.read()

    def submit(self, replay):
        status, body = request(self.url + '/api/replays', data=replay, method='POST',
                               headers={'Content-Type': 'application/octet-stream'})
        return status, json.loads(body) if body else None

    def verdict(self, replay_id, timeout=120):
        deadline = time.time() + timeout
        while time.time() < deadline:
            status, answer = get_json(f'{self.url}/api/replays/{replay_id}')
            if status != 200:
                raise AssertionError(f'replay {replay_id}: status {status}')
            if answer['status'] in ('ranked', 'refused'):
                return answer
            time.sleep(0.05)
        raise AssertionError(f'replay {replay_id} not verified in {timeout} s:\n' + self.log_text())

    def board(self, difficulty='normal'):
        status, answer = get_json(f'{self.url}/api/boards/{difficulty}')
        assert status == 200, status
        return answer['entries']

    def stop(self, kill=False):
        if self.process.poll() is None:
            if kill:
                self.process.kill()
            else:
                self.process.terminate()
            self.process.wait(60)
        self.process.stdout.close()
        self.log.close()
        os.unlink(self.log_path)
        return self.process.returncode


# ---- PostgreSQL, started by the test ------------------------------------------------

def _free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


class Postgres:
    """A cluster in a temporary folder, on 127.0.0.1 and a free port, run by an
    unprivileged user when the test runs as root (PostgreSQL refuses root)."""

    def __init__(self):
        found = sorted(glob.glob('/usr/lib/postgresql/*/bin/initdb'))
        if not found:
            raise FileNotFoundError('PostgreSQL is not installed (initdb)')
        bindir = os.path.dirname(found[-1])
        self.root = tempfile.mkdtemp(prefix='tessivane-pg-')
        os.chmod(self.root, 0o755)
        self.data = os.path.join(self.root, 'data')
        os.mkdir(self.data, 0o700)
        self.as_user = []
        if os.geteuid() == 0:
            nobody = pwd.getpwnam('nobody')
            os.chown(self.data, nobody.pw_uid, nobody.pw_gid)
            os.chown(self.root, nobody.pw_uid, nobody.pw_gid)
            self.as_user = ['runuser', '-u', 'nobody', '--']
        self.pg_ctl = os.path.join(bindir, 'pg_ctl')
        subprocess.run(self.as_user + [os.path.join(bindir, 'initdb'), '-D', self.data, '-U', 'tessivane',
                                       '--auth=trust', '-E', 'UTF8', '--no-sync'],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT, cwd=self.root)
        for attempt in range(5):
            self.port = _free_port()
            options = (f'-p {self.port} -k {self.root} -c listen_addresses=127.0.0.1 -c fsync=off '
                       '-c max_connections=300')
            r = subprocess.run(self.as_user + [self.pg_ctl, '-D', self.data, '-o', options, '-w', '-t', '60',
                                               '-l', os.path.join(self.root, 'log'), 'start'],
                               stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT, cwd=self.root)
            if r.returncode == 0:
                break
        else:
            raise RuntimeError('PostgreSQL did not start')
        self.url = f'postgresql://tessivane@127.0.0.1:{self.port}/postgres'
        self.databases = 0

    def fresh_database(self):
        """A new empty database in the cluster, by its address."""
        self.databases += 1
        name = f'board{self.databases}'
        subprocess.run(self.as_user + [os.path.join(os.path.dirname(self.pg_ctl), 'createdb'), '-h', '127.0.0.1',
                                       '-p', str(self.port), '-U', 'tessivane', name], check=True, cwd=self.root)
        return f'postgresql://tessivane@127.0.0.1:{self.port}/{name}'

    def stop(self):
        subprocess.run(self.as_user + [self.pg_ctl, '-D', self.data, '-m', 'immediate', 'stop'],
                       stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT, cwd=self.root)
        shutil.rmtree(self.root, ignore_errors=True)
