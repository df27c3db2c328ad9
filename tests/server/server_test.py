"""The score server, end to end: real server processes, real replays recorded
by tessivane-headless, verified by its --verify; SQLite and PostgreSQL.
  TESSIVANE_BUILD_DIR=build python3 tests/server/server_test.py [-k NAME]"""
import html
import json
import os
import random
import re
import shutil
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time
import unittest
from concurrent.futures import ThreadPoolExecutor

import server_session as ss

# A name with markup in it, entered at the end of a real game.
MARKUP_NAME = "<b>&'"
REAL_SCORE = 5100


def record_game(script, args):
    """Plays `script` in tessivane-headless and returns the replay it recorded."""
    work = tempfile.mkdtemp(prefix='tessivane-record-')
    try:
        game = os.path.join(work, 'game')
        os.mkdir(game)
        shutil.copy(os.path.join(ss.BUILD, 'Qapo.map'), game)
        shutil.copytree(os.path.join(ss.BUILD, 'QapoMidi'), os.path.join(game, 'QapoMidi'))
        with open(os.path.join(work, 'script'), 'w', encoding='utf-8') as f:
            f.write(script)
        env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, 'data'), XDG_CONFIG_HOME=os.path.join(work, 'config'))
        subprocess.run([ss.HEADLESS, '--dir', game, *args, '--input', os.path.join(work, 'script')],
                       check=True, env=env, stdout=subprocess.DEVNULL)
        folder = os.path.join(work, 'data', 'tessivane', 'replays')
        first = sorted(os.listdir(folder))[0]
        with open(os.path.join(folder, first), 'rb') as f:
            return f.read()
    finally:
        shutil.rmtree(work, ignore_errors=True)


def record_game_named(name):
    """The golden continue-and-game-over game, entering `name` at its end."""
    with open(os.path.join(ss.SOURCE, 'tests', 'golden', 'continue_gameover.script'), encoding='utf-8') as f:
        script = f.read()
    args = re.match(r'#! (.*)', script).group(1).split()
    return record_game(re.sub(r'^name .*$', 'name ' + name, script, flags=re.M), args)


def raw_post(port, head_and_body):
    """POSTs a replay with hand-made headers; the status line of the answer
    (the server may answer and close before the body is all sent)."""
    with socket.create_connection(('127.0.0.1', port)) as s:
        s.settimeout(20)
        try:
            s.sendall(b'POST /api/replays HTTP/1.1\r\nHost: x\r\n' + head_and_body)
        except (BrokenPipeError, ConnectionResetError):
            pass
        return s.recv(4096).decode(errors='replace')


class BoardBehaviour:
    """The same story on either database; `self.fresh_database()` gives one."""

    @classmethod
    def setUpClass(cls):
        cls.real = record_game_named(MARKUP_NAME)

    def test_a_real_game_ranks_and_false_ones_are_refused(self):
        database = self.fresh_database()
        server = ss.Server(database, '--per-minute', '1000')
        try:
            # Sent as a script sends it: tessivane-headless --submit waits
            # for the verdict.
            with tempfile.NamedTemporaryFile(suffix='.tvreplay') as f:
                f.write(self.real)
                f.flush()
                submit = subprocess.run([ss.HEADLESS, '--submit', server.url, f.name], capture_output=True, text=True,
                                        timeout=300)
            self.assertEqual(submit.returncode, 0, submit.stderr)
            accepted = json.loads(submit.stdout)
            ranked = server.verdict(accepted['id'])
            self.assertEqual(ranked['status'], 'ranked', ranked)
            self.assertEqual((ranked['status'], ranked['score'], ranked['difficulty'], ranked['name']),
                             ('ranked', REAL_SCORE, 'normal', MARKUP_NAME), ranked)

            raised = ss.with_score(self.real, 987654)
            other_rules = ss.with_build(self.real, ss.header_build(self.real) + ' (another)')
            stage_start = ss.golden('stage7')
            refusals = [
                (raised, r'987654.*5100|5100.*987654'),
                (other_rules, r'^other rules'),
                (self.real, r'^duplicate of entry %d$' % accepted['id']),
            ]
            with tempfile.NamedTemporaryFile(suffix='.tvreplay') as f:
                f.write(stage_start)
                f.flush()
                submit = subprocess.run([ss.HEADLESS, '--submit', server.url + '/', f.name], capture_output=True,
                                        text=True, timeout=300)
            self.assertEqual((submit.returncode, json.loads(submit.stdout)['status']), (3, 'refused'), submit.stderr)
            self.assertIn('not eligible', submit.stderr)
            # A game that reached the ending from stage 7: not eligible, and
            # its verdict tells the medals the ending awarded it.
            status, answer = server.submit(ss.golden('ending'))
            ending = server.verdict(answer['id'])
            self.assertEqual((ending['status'], ending['ending'], ending['medals']), ('refused', 'ending', ['ending']),
                             ending)
            self.assertRegex(ending['reason'], '^not eligible')
            for replay, reason in refusals:
                status, answer = server.submit(replay)
                self.assertEqual(status, 202)
                verdict = server.verdict(answer['id'])
                self.assertEqual(verdict['status'], 'refused', verdict)
                self.assertRegex(verdict['reason'], reason)

            board = server.board('normal')
            self.assertEqual([(e['id'], e['rank'], e['name'], e['score'], e['ending'], e['medals']) for e in board],
                             [(accepted['id'], 1, MARKUP_NAME, REAL_SCORE, 'gameOver', [])])
            for other in ('hard', 'hardest', 'easy'):
                self.assertEqual(server.board(other), [])
            status, page = ss.request(server.url + '/')
            page = page.decode()
            self.assertEqual(status, 200)
            names = re.findall(r'<td class="name">([^<]*)</td>', page)
            self.assertEqual([html.unescape(n) for n in names], [MARKUP_NAME])
            self.assertNotIn('<b>', page)
            self.assertIn('5100', page)
            status, download = ss.request(f"{server.url}/api/replays/{accepted['id']}/file")
            self.assertEqual((status, download), (200, self.real))
        finally:
            self.assertEqual(server.stop(), 0)

        # Restarted, it keeps the board; hidden, the entry leaves the board
        # and stays in the database.
        server = ss.Server(database)
        try:
            self.assertEqual([e['id'] for e in server.board('normal')], [accepted['id']])
            hide = subprocess.run([ss.SERVER, 'hide', str(accepted['id']), '--database', database],
                                  capture_output=True, text=True)
            self.assertEqual(hide.returncode, 0, hide.stderr)
            self.assertEqual(server.board('normal'), [])
            status, kept = ss.get_json(f"{server.url}/api/replays/{accepted['id']}")
            self.assertEqual((status, kept['status'], kept.get('hidden')), (200, 'ranked', True))
        finally:
            server.stop()


class SqliteBoard(BoardBehaviour, unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='tessivane-board-')

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def fresh_database(self):
        return os.path.join(self.folder, 'scores.db')


    def test_medals_show_on_the_board(self):
        # No whole game that reaches the ending is short enough to record
        # here; the verifier's medals are stored as it names them, so an entry
        # given them in the database shows how the board shows them.
        database = self.fresh_database()
        server = ss.Server(database)
        try:
            status, answer = server.submit(self.real)
            self.assertEqual(server.verdict(answer['id'])['status'], 'ranked')
        finally:
            server.stop()
        with sqlite3.connect(database) as db:
            db.execute("UPDATE replays SET medals = 'normalRun,ending,score500000' WHERE id = ?", (answer['id'],))
        saved = os.environ.get('LC_ALL')
        os.environ['LC_ALL'] = 'en_US.UTF-8'
        try:
            server = ss.Server(database)
        finally:
            if saved is None:
                del os.environ['LC_ALL']
            else:
                os.environ['LC_ALL'] = saved
        try:
            self.assertEqual(server.board('normal')[0]['medals'], ['normalRun', 'ending', 'score500000'])
            self.assertEqual(ss.get_json(f"{server.url}/api/replays/{answer['id']}")[1]['medals'],
                             ['normalRun', 'ending', 'score500000'])
            status, page = ss.request(server.url + '/')
            self.assertEqual(re.findall(r'<td class="wide medals">([^<]*)</td>', page.decode()),
                             ['Normal without a continue, Ending reached, 500,000 points'])
        finally:
            server.stop()


class PostgresqlBoard(BoardBehaviour, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.postgres = ss.Postgres()

    @classmethod
    def tearDownClass(cls):
        cls.postgres.stop()

    def fresh_database(self):
        return self.postgres.fresh_database()


class TwoServersOnePostgresql(unittest.TestCase):
    """Two server processes share one PostgreSQL: both take submissions, each
    replay is verified once, and both show the same boards."""

    def test_shared_queue(self):
        postgres = ss.Postgres()
        servers = []
        try:
            database = postgres.fresh_database()
            servers = [ss.Server(database, '--workers', '2', '--per-minute', '1000') for _ in range(2)]
            base = ss.golden('continue_gameover')
            replays = [ss.with_recorded_at(base, 1_800_000_000 + k) for k in range(16)]
            with ThreadPoolExecutor(8) as pool:
                answers = list(pool.map(lambda k: servers[k % 2].submit(replays[k]), range(len(replays))))
                # The same bytes through both at once: one original.
                twins = list(pool.map(lambda k: servers[k].submit(replays[0]), range(2)))
            self.assertEqual({status for status, _ in answers + twins}, {202})
            ids = [answer['id'] for _, answer in answers]
            verdicts = [servers[k % 2].verdict(i) for k, i in enumerate(ids)]
            for v in verdicts:
                self.assertEqual((v['status'], v['score'], v['attempts']), ('ranked', REAL_SCORE, 1), v)
            for _, twin in twins:
                self.assertEqual(servers[0].verdict(twin['id'])['reason'], 'duplicate of entry %d' % ids[0])
            boards = [server.board('normal') for server in servers]
            self.assertEqual(boards[0], boards[1])
            self.assertEqual([e['id'] for e in boards[0]], sorted(ids))
        finally:
            for server in servers:
                server.stop()
            postgres.stop()


class KilledAtRandom(unittest.TestCase):
    """kill -9 while the server takes, verifies and writes: what it accepted
    is never lost or half-written, and what it had queued is verified after
    a restart."""

    def test_kill_nine(self):
        folder = tempfile.mkdtemp(prefix='tessivane-kill-')
        database = os.path.join(folder, 'scores.db')
        rng = random.Random(24)
        base = ss.golden('continue_gameover')
        accepted = {}
        kills = made = 0
        started = time.time()
        try:
            while kills < 300 and time.time() - started < 60:
                server = ss.Server(database, '--workers', '2', '--per-minute', '100000')
                # Some rounds only verify what is queued.
                count = rng.randint(0, 2) if len(accepted) < 120 else 0
                replays = [ss.with_recorded_at(base, 1_900_000_000 + made + k) for k in range(count)]
                made += len(replays)

                def submit(replay):
                    try:
                        status, answer = server.submit(replay)
                        if status == 202:
                            accepted[answer['id']] = replay
                    except OSError:
                        pass  # killed before it answered: not accepted
                with ThreadPoolExecutor(4) as pool:
                    for r in replays:
                        pool.submit(submit, r)
                    time.sleep(rng.uniform(0, 0.4))
                    server.stop(kill=True)
                kills += 1
            self.assertGreater(len(accepted), 60)

            server = ss.Server(database, '--workers', '2')
            try:
                for replay_id in accepted:
                    verdict = server.verdict(replay_id, timeout=600)
                    self.assertEqual((verdict['status'], verdict.get('score')), ('ranked', REAL_SCORE), verdict)
            finally:
                server.stop()
            with sqlite3.connect(database) as db:
                self.assertEqual(db.execute('PRAGMA integrity_check').fetchone()[0], 'ok')
                rows = db.execute('SELECT id, bytes, status FROM replays').fetchall()
            stored = {row[0]: row[1] for row in rows}
            for replay_id, replay in accepted.items():
                self.assertEqual(stored[replay_id], replay)
            # A submission cut off before its answer may have been kept; it
            # was verified like any other.
            self.assertEqual({row[2] for row in rows}, {'ranked'})
            print(f'{kills} kills, {len(accepted)} replays accepted, {len(rows)} stored')
        finally:
            shutil.rmtree(folder, ignore_errors=True)


class Abuse(unittest.TestCase):
    """What a hostile or careless client meets."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='tessivane-abuse-')

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def test_garbage_size_and_rate(self):
        server = ss.Server(os.path.join(self.folder, 'scores.db'), '--per-minute', '5')
        try:
            replay = ss.golden('continue_gameover')
            cases = [
                (b'', 400),
                (b'not a replay at all', 400),
                (replay[:20], 400),  # cut short in its header
            ]
            for body, expected in cases:
                status, answer = server.submit(body)
                self.assertEqual(status, expected, (body[:20], answer))
                self.assertTrue(answer['error'])
            # A body over the limit: announced (refused from its headers,
            # long before it could be sent), or sent in chunks (refused once
            # it passed the limit).
            port = int(server.url.rsplit(':', 1)[1])
            announced = b'Content-Length: 4000000000\r\n\r\n' + replay
            chunk = b'%x\r\n' % 65536 + bytes(65536) + b'\r\n'
            chunked = b'Transfer-Encoding: chunked\r\n\r\n' + chunk * 40 + b'0\r\n\r\n'
            for head_and_body in (announced, chunked):
                self.assertRegex(raw_post(port, head_and_body), r'^HTTP/1.1 413')
            # The sixth submission of the minute from one address.
            status, answer = server.submit(replay)
            self.assertEqual(status, 429, answer)

            self.assertEqual(ss.request(server.url + '/api/boards/medium')[0], 404)
            self.assertEqual(ss.request(server.url + '/api/replays/99')[0], 404)
        finally:
            server.stop()



class BoardPageInChromium(unittest.TestCase):
    """The page as a player's browser shows it (tests/server/board_page_test.js)."""

    def test_board_page(self):
        if not shutil.which('chromium') or not shutil.which('node'):
            self.skipTest('chromium and node are needed')
        folder = tempfile.mkdtemp(prefix='tessivane-page-')
        server = ss.Server(os.path.join(folder, 'scores.db'))
        try:
            status, answer = server.submit(record_game_named(MARKUP_NAME))
            self.assertEqual(server.verdict(answer['id'])['status'], 'ranked')
            shot = os.environ.get('BOARD_PAGE_SHOT', os.path.join(folder, 'page.png'))
            env = dict(os.environ, NODE_PATH='/usr/share/nodejs:/usr/lib/nodejs')
            run = subprocess.run(['node', os.path.join(os.path.dirname(__file__), 'board_page_test.js'), server.url,
                                  MARKUP_NAME, str(REAL_SCORE), shot, os.path.join(folder, 'chromium')],
                                 capture_output=True, text=True, env=env,
                                 timeout=180)
            print(run.stdout + run.stderr)
            self.assertEqual(run.returncode, 0)
        finally:
            server.stop()
            shutil.rmtree(folder, ignore_errors=True)


def web_site():
    """The web build's site (built by the browser test, or ./run.sh web-build)."""
    for site in (os.environ.get('TESSIVANE_WEB_SITE', ''), os.path.join(ss.BUILD, 'web', 'site'),
                 os.path.join(ss.SOURCE, 'build-web', 'site')):
        if site and os.path.isfile(os.path.join(site, 'index.html')):
            return site
    return None


class WatchInChromium(unittest.TestCase):
    """"watch" on the board: the web build the server serves plays the ranked
    replay, fetched from the server, to its score (tests/server/watch_test.js;
    tests/server/watch_test.sh builds the web site first)."""

    def test_watch(self):
        folder = tempfile.mkdtemp(prefix='tessivane-watch-')
        server = ss.Server(os.path.join(folder, 'scores.db'), '--site', web_site())
        try:
            status, answer = server.submit(ss.golden('continue_gameover'))
            self.assertEqual(server.verdict(answer['id'])['status'], 'ranked')
            env = dict(os.environ, NODE_PATH='/usr/share/nodejs:/usr/lib/nodejs')
            run = subprocess.run(['node', os.path.join(os.path.dirname(__file__), 'watch_test.js'), server.url,
                                  str(answer['id']), str(REAL_SCORE), os.path.join(folder, 'chromium')],
                                 capture_output=True, text=True, env=env, timeout=600)
            print(run.stdout + run.stderr)
            self.assertEqual(run.returncode, 0)
        finally:
            server.stop()
            shutil.rmtree(folder, ignore_errors=True)


class OnlineScores(unittest.TestCase):
    """The game with online scores on (tessivane-headless, which sends before
    it goes on, so that the outcome meets the script at a fixed moment): a
    finished game's replay ranks; with the server down it stays queued, the
    title says so, and the next start sends it."""

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix='tessivane-online-')
        self.game = os.path.join(self.work, 'game')
        os.mkdir(self.game)
        shutil.copy(os.path.join(ss.BUILD, 'Qapo.map'), self.game)
        shutil.copytree(os.path.join(ss.BUILD, 'QapoMidi'), os.path.join(self.game, 'QapoMidi'))
        self.outbox = os.path.join(self.work, 'data', 'tessivane', 'outbox')

    def tearDown(self):
        shutil.rmtree(self.work, ignore_errors=True)

    def play(self, server_url, script_name, until, shot_at):
        """Plays a golden script with online scores on, sending to
        `server_url`; the title's notice band in the picture at `shot_at`."""
        config = os.path.join(self.work, 'config', 'tessivane')
        os.makedirs(config, exist_ok=True)
        with open(os.path.join(config, 'settings.ini'), 'w') as f:
            f.write('[settings]\nonline_scores = on\nscore_server = %s\n' % server_url)
        script = os.path.join(ss.SOURCE, 'tests', 'golden', script_name)
        if not script_name.endswith('.script'):  # the script's own text
            script = os.path.join(self.work, 'own.script')
            with open(script, 'w') as f:
                f.write(script_name)
        shot = os.path.join(self.work, 'title.png')
        dump = os.path.join(self.work, 'dump.json')
        env = dict(os.environ, XDG_DATA_HOME=os.path.join(self.work, 'data'),
                   XDG_CONFIG_HOME=os.path.join(self.work, 'config'))
        run = subprocess.run([ss.HEADLESS, '--dir', self.game, '--seed', '1', '--until', str(until), '--input', script,
                              '--shot', '%d:%s' % (shot_at, shot), '--dump', dump], capture_output=True, text=True,
                             env=env, timeout=300)
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(dump, encoding='utf-8') as f:
            self.dump = json.load(f)
        return run.stderr, self.notice_shown(shot)

    @staticmethod
    def notice_shown(png):
        """Whether the title's notice line (yellow, y 414..425) is drawn."""
        rows = subprocess.run(['convert', png, '-crop', '320x12+4+414', '-depth', '8', 'rgb:-'],
                              capture_output=True, check=True).stdout
        return any(rows[k] > 200 and rows[k + 1] > 200 and rows[k + 2] < 80 for k in range(0, len(rows), 3))

    def queued(self):
        return sorted(os.listdir(self.outbox)) if os.path.isdir(self.outbox) else []

    def test_a_finished_game_ranks_and_a_failure_is_sent_at_the_next_start(self):
        if not shutil.which('convert'):
            self.skipTest('ImageMagick is needed')
        server = ss.Server(os.path.join(self.work, 'scores.db'), '--per-minute', '1000')
        try:
            # The golden game (a continue, a game over, a name) played to the title.
            err, notice = self.play(server.url, 'continue_gameover.script', 160000, 159000)
            self.assertFalse(notice)
            self.assertEqual(self.queued(), [])
            board = [(e['name'], e['score']) for e in server.board('normal')]
            for _ in range(600):  # the verdict comes in its own time
                if board:
                    break
                time.sleep(0.1)
                board = [(e['name'], e['score']) for e in server.board('normal')]
            self.assertEqual(board, [('テスト', REAL_SCORE)])
        finally:
            server.stop()

        # No server there: the replay stays queued and the title says so.
        with socket.socket() as s:
            s.bind(('127.0.0.1', 0))
            down = 'http://127.0.0.1:%d' % s.getsockname()[1]
        err, notice = self.play(down, 'continue_gameover.script', 160000, 159000)
        self.assertTrue(notice, err)
        self.assertEqual(err.count('was not sent'), 1, err)
        self.assertEqual(len(self.queued()), 1)

        # The next start sends it; the title (its opening skipped) says
        # nothing. B on the high-score table opens the board page.
        server = ss.Server(os.path.join(self.work, 'scores.db'), '--per-minute', '1000')
        try:
            err, notice = self.play(server.url, '500 550 A\n1000 1050 Down\n1500 1550 A\n2500 2550 B\n', 4000, 950)
            self.assertFalse(notice, err)
            self.assertEqual(self.queued(), [])
            self.assertEqual([(m['kind'], m['text']) for m in self.dump['messageBoxes']],
                             [('browser', server.url + '/')])
            # Ranked, or the first game's duplicate when both were recorded
            # in the same second: either way the server has it.
            verdict = server.verdict(2)
            self.assertEqual(verdict['score'], REAL_SCORE, verdict)
            self.assertTrue(verdict['status'] == 'ranked' or verdict['reason'] == 'duplicate of entry 1', verdict)
        finally:
            server.stop()


class LongReplay(unittest.TestCase):
    """A long game: stopping the server while it verifies one leaves it
    queued; one longer than the server verifies is refused, not left
    running."""

    def test_an_hour_held_at_the_pause_menu(self):
        # A game started and then held for an hour (the window unfocused).
        hour = record_game('500 600 A\n2000 2100 A\n4000 3600000 unfocus\n', ['--seed', '1', '--until', '3610000'])
        folder = tempfile.mkdtemp(prefix='tessivane-long-')
        database = os.path.join(folder, 'scores.db')
        server = ss.Server(database)
        try:
            status, answer = server.submit(hour)
            while ss.get_json(f"{server.url}/api/replays/{answer['id']}")[1]['status'] == 'queued':
                time.sleep(0.01)
        finally:
            self.assertEqual(server.stop(), 0)
        with sqlite3.connect(database) as db:
            self.assertEqual(db.execute('SELECT status FROM replays').fetchall(), [('queued',)])

        server = ss.Server(database, '--verify-cpu-seconds', '1', '--verify-wall-seconds', '60')
        try:
            verdict = server.verdict(answer['id'], timeout=120)
            self.assertEqual(verdict['status'], 'refused', verdict)
            self.assertRegex(verdict['reason'], r'longer than this server verifies')
        finally:
            server.stop()
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == '__main__':
    if 'WatchInChromium' in sys.argv[1:] and not web_site():
        print('the web build is not there: ./run.sh web-build, or the browser test, makes it')
        sys.exit(77)
    unittest.main()
