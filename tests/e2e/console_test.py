#!/usr/bin/env python3
"""Drives the built wobbet-console through pipes and a terminal: console_test.py PROGRAM [-k NAME],
and wobbet-jsonl, named by WOBBET_JSONL, through pipes.
With --seed 1 the draws are the C runtime's: 41, 18467, 6334, 26500, ... Each Say takes one draw
per keyword group, one for the learn decision, one more for the reply when it learns at mood 0."""
import json, os, pathlib, pty, random, select, shutil, signal, subprocess, sys, tempfile, time, unittest

PROGRAM = os.path.abspath(sys.argv.pop(1))
JSONL = os.environ.get("WOBBET_JSONL")
DIRECTORY, NO_FILE = "<a directory>", "<no file>"
NOT_SAVED = ". Records added in this session cannot be saved.\n"
TAUGHT = b"Not much\r\nWHAT\r\nUP\r\n\r\n"


class Console:
    """wobbet-console in a child process, its input on a pipe or a terminal. Waits end at 60 s."""

    def __init__(self, arguments, directory, program=PROGRAM, terminal=False, **options):
        self.terminal, slave = pty.openpty() if terminal else (None, subprocess.PIPE)
        self.process = subprocess.Popen([program, *arguments], cwd=directory, bufsize=0,
                                        stdin=slave, stdout=slave, stderr=subprocess.PIPE,
                                        **options)
        self.out = b""
        if terminal:
            os.close(slave)

    def write(self, text):
        os.write(self.terminal or self.process.stdin.fileno(), text)

    def close_input(self):
        self.process.stdin.close()
        self.process.stdin = None  # nothing more for finish to feed

    def wait_for(self, text):
        """Reads the output until it holds the text (None: to its end); False when it ends first."""
        source = self.terminal or self.process.stdout.fileno()
        while text is None or text not in self.out:
            try:
                chunk = os.read(source, 65536) if select.select([source], [], [], 60)[0] else b""
            except OSError:  # EIO: the terminal's program has gone
                chunk = b""
            if not chunk:
                return False
            self.out += chunk
        return True

    def finish(self, text=b""):
        """Feeds and ends the input, then waits: (output, errors, exit code or -signal)."""
        if self.terminal:
            self.write(text + b"\x04")
            self.wait_for(None)
            os.close(self.terminal)
        out, errors = self.process.communicate(None if self.terminal else text, timeout=60)
        return self.out + (out or b""), errors, self.process.returncode


# What each session finds, is given, prints and leaves. hello: record 0 has the only hit, score 1.
# nice weather: record 3 wins on draw 11 (28145) without hits, score 0 learns. /help is for
# terminals. //slash: record 4 wins on draw 20 (32391), Context off gives score 0; mood 1 -> 0.
# The empty line gets the instruction without a draw. what is up: 2 hits of 2 words, score 1.
COMMANDS = ("commands", NO_FILE, b"hello\nnice weather\n/teach\nwhat is up\nnot much\n"
            b"/context off\n/help\n//slash\n/bogus\n/context maybe\n\nwhat is up\n",
            "Hello.\n*Pleased*\n*Acknowledge*\nI feel great.\n*Acknowledge*\n*Acknowledge*\n"
            "I was written by Zentalo Software.\n*Sad*\n!Unknown command: /bogus\n"
            "!Unknown command: /context maybe\n"
            "Type something in the text box.  Then click the 'Say' button.\nNot much\n",
            b"Nice weather\r\nHELLO\r\n!\r\nHELLO\r\n\r\n" + TAUGHT + b"/slash\r\n\r\n")
# 9 groups. good morning: score 1/2, draw 9 learns; mood 1 -> 0. hello: record 7's draw (11942)
# beats record 0's (5705); score 1/2 learns; at mood 0 the reply is record 14604 mod 11 = 7.
LINE_FEEDS = ("a file with line feeds", b"Fine, thanks\nHELLO\n!\nGOOD\nMORNING\n\n"
              b"Nice weather today.\n\n", b"good morning\nhello\n",
              "*Acknowledge*\nHello.\n*Sad*\n*Acknowledge*\nFine, thanks\n",
              b"Fine, thanks\r\nHELLO\r\n!\r\nGOOD\r\nMORNING\r\n\r\nNice weather today.\r\n\r\n"
              b"Good morning\r\n!\r\n\r\nHello\r\nHELLO\r\n!\r\nGOOD\r\nMORNING\r\n\r\n")
TRACED_SESSIONS = [
    COMMANDS, LINE_FEEDS,
    ("an unreadable file, reported in order", DIRECTORY, b"hello\n",
     "!Storage error: Load failed" + NOT_SAVED + "Hello.\n*Pleased*\n", DIRECTORY),
    # nice weather: draws 0-6, record 3 (26500) wins, Context off gives score 0; mood 1 -> 0.
    ("CR LF ends lines, /quit stops reading", NO_FILE,
     b"/context off\r\nnice weather\r\n/quit\r\nhello\n", "*Acknowledge*\nI feel great.\n*Sad*\n",
     b"Nice weather\r\n\r\n"),
    ("a last line without a line feed", NO_FILE, b"/teach\nwhat is up\nnot much",
     "*Acknowledge*\n", TAUGHT),
    ("end of input during Teach", NO_FILE, b"/teach\nwhat is up\n", "", NO_FILE),
    # Nothing learned: the file keeps its line feeds and its time. hello: record 0's only hit.
    ("an untouched file", b"Fine\nZEBRA\n\n", b"hello\n", "Hello.\n*Pleased*\n",
     b"Fine\nZEBRA\n\n"),
    # Taught in one spelling, found in another: ß is SS, a decomposed é is the composed one.
    ("words in UTF-8", NO_FILE,
     "/teach\nStraße café\nélan vital\nSTRASSE CAFE\u0301\n".encode(),
     "*Acknowledge*\nÉlan vital\n*Pleased*\n", "Élan vital\r\nSTRASSE\r\nCAFÉ\r\n\r\n".encode()),
    # Neither loaded nor merged records are forgotten. Paused, nice weather acknowledges and
    # answers as when learning but stores nothing. 1.dat is what the line-feed session left.
    ("undo, pause and merge", b"Loaded\r\nLOAD\r\n\r\n",
     b"/undo\n/teach\nwhat is up\nnot much\nnice weather\n/undo\n/learn off\nnice weather\n"
     b"/learn on\n/merge 1.dat\n/merge .\n/merge\n/undo\n/undo\n",
     "!Nothing learned in this session to forget.\n*Acknowledge*\n*Acknowledge*\nLoaded\n*Sad*\n"
     "!Forgot: Nice weather\n*Acknowledge*\nHello.\n!Merged 4 new records; 0 were already known.\n"
     "!Merge refused: . is damaged or unreadable; nothing was merged.\n!Unknown command: /merge\n"
     "!Forgot: Not much\n!Nothing learned in this session to forget.\n",
     b"Loaded\r\nLOAD\r\n\r\n" + LINE_FEEDS[4]),
]


class ScratchDirectoryTest(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="wobbet-")
        self.addCleanup(shutil.rmtree, self.directory)
        self.knowledge = os.path.join(self.directory, "Wobbet.dat")

    def bytes_of(self):
        return pathlib.Path(self.knowledge).read_bytes()

    def seeded(self):
        return ["--seed", "1", "--knowledge", self.knowledge]


class ConsoleTest(ScratchDirectoryTest):
    def test_seeded_sessions_give_exact_output_and_file(self):
        damaged = b"\r\nOops\r\n\r\n"
        sessions = [(*session, ["--trace"], "") for session in TRACED_SESSIONS] + [
            ("a damaged file, on standard error", damaged, b"nice weather\n", "I feel great.\n",
             damaged, [], "Storage error: Space misalignment" + NOT_SAVED),
            ("notices on standard error", NO_FILE, b"nice weather\n/undo\n/bogus\n",
             "I feel great.\n", b"", [], "Forgot: Nice weather\nUnknown command: /bogus\n")]
        for number, (what, before, text, out, after, trace, errors) in enumerate(sessions):
            with self.subTest(what):
                self.knowledge = os.path.join(self.directory, f"{number}.dat")
                if before == DIRECTORY:
                    os.mkdir(self.knowledge)
                elif before != NO_FILE:
                    pathlib.Path(self.knowledge).write_bytes(before)
                    os.utime(self.knowledge, ns=(0, 10**18))
                result = Console(self.seeded() + trace, self.directory).finish(text)
                self.assertEqual(result, (out.encode(), errors.encode(), 0))
                found = (DIRECTORY if os.path.isdir(self.knowledge) else
                         self.bytes_of() if os.path.exists(self.knowledge) else NO_FILE)
                self.assertEqual(found, after)
                if after == before and before not in (NO_FILE, DIRECTORY):
                    self.assertEqual(os.stat(self.knowledge).st_mtime_ns, 10**18)

    def test_stop_signals_while_waiting_for_input_save_and_end(self):
        for program, said, reply, stop in [
                (PROGRAM, b"nice weather\n", b"I feel great.\n", signal.SIGINT),
                (PROGRAM, b"nice weather\n", b"I feel great.\n", signal.SIGTERM),
                (JSONL, b'{"say": "nice weather"}\n', b'{"animation":"Acknowledge"}\n'
                 b'{"reply":"I feel great."}\n{"animation":"Sad"}\n', signal.SIGTERM)]:
            with self.subTest(f"{program} {stop.name}"):
                pathlib.Path(self.knowledge).unlink(missing_ok=True)
                console = Console(self.seeded(), self.directory, program)
                console.write(said)
                self.assertTrue(console.wait_for(reply))
                state = pathlib.Path(f"/proc/{console.process.pid}/stat")
                while state.read_text().split()[2] not in "SZ": pass  # until it waits for input
                console.process.send_signal(stop)
                self.assertEqual(console.process.wait(timeout=60), 0)  # the input still open
                self.assertEqual(console.finish(), (reply, b"", 0))
                self.assertEqual(self.bytes_of(), b"Nice weather\r\n!\r\n\r\n")

    def test_a_running_console_holds_its_file_and_keeps_lessons_through_a_kill(self):
        """Through a link, whose target is locked and gets the lessons; the link stays."""
        target = os.path.join(self.directory, "target.dat")
        os.symlink("target.dat", self.knowledge)
        console = Console(self.seeded(), self.directory)
        console.write(b"nice weather\n")
        self.assertTrue(console.wait_for(b"I feel great.\n"))
        refused = Console(["--knowledge", target], self.directory).finish(b"nice weather\n")
        self.assertEqual(refused, (b"", b"Storage error: %s is in use by another Wobbet.\n"
                                   % target.encode(), 1))
        deadline = time.monotonic() + 60
        while not os.path.exists(target) and time.monotonic() < deadline:
            time.sleep(0.05)
        console.process.kill()  # SIGKILL, its input still open
        console.finish()
        self.assertTrue(os.path.islink(self.knowledge))
        self.assertEqual(pathlib.Path(target).read_bytes(), b"Nice weather\r\n!\r\n\r\n")
        # A killed holder leaves no lock behind.
        self.assertEqual(Console(self.seeded(), self.directory).finish()[2], 0)

    def test_a_file_that_cannot_be_written_is_warned_of_at_start_and_left_alone(self):
        """As an unprivileged user, for whom permissions hold."""
        user = {"user": 65534} if os.geteuid() == 0 else {}
        os.chmod(self.directory, 0o755)
        for what, mode, file_mode in [("a read-only file", 0o777, 0o444),
                                      ("a new file in a read-only folder", 0o555, None)]:
            with self.subTest(what):
                folder = tempfile.mkdtemp(dir=self.directory)
                self.knowledge = os.path.join(folder, "Wobbet.dat")
                if file_mode is not None:
                    pathlib.Path(self.knowledge).write_bytes(TAUGHT)
                    os.chmod(self.knowledge, file_mode)
                os.chmod(folder, mode)
                result = Console(self.seeded() + ["--trace"], folder, **user).finish(
                    b"/teach\nwhy\nnot\n")
                warning = ("!Storage error: %s cannot be written; what is learned in this session "
                           "will not be kept.\n" % self.knowledge)
                self.assertEqual(result, ((warning + "*Acknowledge*\n").encode(), b"", 0))
                self.assertEqual(sorted(os.listdir(folder)),
                                 [] if file_mode is None else ["Wobbet.dat", "Wobbet.dat.lock"])
                self.assertTrue(file_mode is None or self.bytes_of() == TAUGHT)

    def test_import_mid_conversation_goes_on_as_if_the_records_were_in_the_file(self):
        """Teach takes no draw and leaves Context off and an empty memory, so after it one session
        imports, the other starts with the same records in its file; what follows must match."""
        pathlib.Path(self.directory, "chat.txt").write_bytes(
            b"good morning\nwhere are you going\nto the market\n\nnice cars\ncars are fast\n")
        imported = (b"Where are you going\r\nGOOD\r\nMORNING\r\n\r\nTo the market\r\nWHERE\r\n"
                    b"GOING\r\n\r\nCars are fast\r\nNICE\r\nCARS\r\n\r\n")
        talk = b"good morning\nwhere going\nmarket\nnice cars\ncars\nzebra\nzebra\n"
        out, errors, status = Console(self.seeded() + ["--trace"], self.directory).finish(
            b"/teach\nwhat is up\nnot much\n/import chat.txt\n/import none\n" + talk)
        after_import = (b"*Acknowledge*\n!Imported 3 new records; 0 were already known.\n"
                        b"!Import refused: none could not be read; nothing was learned.\n")
        self.assertTrue(out.startswith(after_import), out)
        self.assertEqual(self.bytes_of()[:len(TAUGHT + imported)], TAUGHT + imported)
        saved = self.bytes_of()
        pathlib.Path(self.knowledge).write_bytes(TAUGHT + imported)
        in_file = Console(self.seeded() + ["--trace"], self.directory).finish(
            b"/context off\n" + talk)
        self.assertEqual(in_file, (out[len(after_import):], errors, status))
        self.assertEqual(self.bytes_of(), saved)

    def test_terminal_gets_prompts_greeting_and_help(self):
        console = Console(self.seeded(), self.directory, terminal=True)
        for typed, prompt in [(b"", b"[context on] > "), (b"/help\n", b"/quit"),
                              (b"/context off\n", b"[context off] > "),
                              (b"/teach\n", b"If you say this: "),
                              (b"what is up\n", b"I should say this: ")]:
            console.write(typed)
            self.assertTrue(console.wait_for(prompt), prompt)
        out, errors, status = console.finish(b"not much\n")
        self.assertRegex(out, rb"^Wobbet is listening[\s\S]*/teach")
        self.assertEqual((errors, status, self.bytes_of()), (b"", 0, TAUGHT))

    def test_command_lines_give_usage(self):
        out, errors, status = Console(["--help"], self.directory).finish()
        self.assertTrue(out.startswith(b"Usage: wobbet-console [--seed N] [--knowledge FILE]"))
        self.assertEqual((errors, status), (b"", 0))
        for arguments in [["--bogus"], ["--seed"], ["--seed", "abc"], ["--seed", "-1"], ["hello"],
                          ["--seed", "4294967296"], ["--knowledge"], ["--knowledge", ""]]:
            with self.subTest(arguments):
                out, errors, status = Console(arguments, self.directory).finish(b"hello\n")
                self.assertEqual((out, status), (b"", 2))
                self.assertIn(b"Usage: wobbet-console", errors)
        self.assertEqual(os.listdir(self.directory), [])


# Requests and answers as JSON values, one a line; any error's text stands as "...". The draws
# are those of the console's commands session.
JSONL_SESSIONS = [
    ("a lesson, a teach, a forget, bad JSON, end of input saving", NO_FILE,
     [{"say": "hello"}, {"say": "nice weather"}, "not JSON", {"context": True},
      {"teach": {"phrase": "what is up", "reply": "Not much"}}, {"forget": True}, {"say": 5},
      ["say", "hello"], {"teach": {"phrase": "no reply"}}],
     [{"reply": "Hello."}, {"animation": "Pleased"}, {"animation": "Acknowledge"},
      {"reply": "I feel great."}, {"error": "..."}, {"animation": "Acknowledge"},
      {"message": "Forgot: Not much"}, {"error": "..."}, {"error": "..."}, {"error": "..."}],
     b"Nice weather\r\nHELLO\r\n!\r\nHELLO\r\n\r\n"),
    ("a damaged file is reported first and kept", b"\r\nOops\r\n\r\n",
     [{"teach": {"phrase": "what is up", "reply": "Not much"}}],
     [{"message": "Storage error: Space misalignment" + NOT_SAVED.strip()},
      {"animation": "Acknowledge"}], b"\r\nOops\r\n\r\n"),
]


@unittest.skipUnless(JSONL, "WOBBET_JSONL names no program")
class JsonlTest(ScratchDirectoryTest):
    def test_seeded_sessions_give_exact_answers_and_file(self):
        for what, before, requests, answers, after in JSONL_SESSIONS:
            with self.subTest(what):
                if before != NO_FILE:
                    pathlib.Path(self.knowledge).write_bytes(before)
                lines = "".join((r if isinstance(r, str) else json.dumps(r)) + "\n"
                                for r in requests)
                out, errors, status = Console(self.seeded(), self.directory, JSONL).finish(
                    lines.encode())
                found = [json.loads(line) for line in out.splitlines()]
                found = [{"error": "..."} if "error" in a else a for a in found]
                self.assertEqual((found, errors, status), (answers, b"", 0))
                self.assertEqual(self.bytes_of(), after)


class ConsoleCrashTest(ScratchDirectoryTest):
    def test_kill_during_a_save_leaves_the_old_file_or_the_new_one(self):
        """SIGKILL at random instants, half of them while the new file is written."""
        old = b"".join(b"Reply number %d about things.\r\nWORD%d\r\nTHING\r\n\r\n" % (i, i)
                       for i in range(200_000))  # about 10 MB
        new = old + b"Robust reply\r\nROBUST\r\nPHRASE\r\n\r\n"

        def start():
            pathlib.Path(self.knowledge).write_bytes(old)
            console = Console(self.seeded(), self.directory)
            console.write(b"/teach\nrobust phrase\nrobust reply\n")
            console.close_input()
            return console

        def temporary_files():
            return [name for name in os.listdir(self.directory) if name.endswith(".tmp")]

        def await_save(console):
            """True once the save's temporary file is there; False when the run ends first."""
            while not temporary_files():
                if console.process.poll() is not None:
                    return False
            return True

        # A run to its end gives the new file, the span of a run and the span of its save. On a
        # busy machine the poll may miss a short save, so a few runs are allowed.
        for _ in range(5):
            started, console = time.monotonic(), start()
            if await_save(console):
                break
        save_started = time.monotonic()
        while temporary_files():
            pass
        ended = time.monotonic()
        self.assertEqual(console.finish()[2], 0)
        self.assertTrue(self.bytes_of() == new)
        self.assertGreater(ended, save_started + 1e-4, "no save was seen")

        instants = random.Random(20261206)  # fixed, so that a failure can be replayed
        killed_mid_save = 0
        for kill in range(60):
            console = start()
            in_save = kill % 2 and await_save(console)
            instant = instants.uniform(0, ended - (save_started if in_save else started))
            time.sleep(instant)
            console.process.kill()
            console.finish()
            after = self.bytes_of()
            self.assertTrue(after in (old, new), f"kill {kill} at {instant} s left {len(after)} "
                            "bytes that are neither the old file nor the new one")
            for leftover in temporary_files():
                killed_mid_save += after == old
                os.remove(os.path.join(self.directory, leftover))
        self.assertGreater(killed_mid_save, 0, "no kill landed during a save")


if __name__ == "__main__":
    unittest.main()
