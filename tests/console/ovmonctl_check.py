#!/usr/bin/python3
"""ovmonctl under Wine against the loopback test servers: each command's output and exit code
for success and for each failure class, --json read back with a real JSON parser, --csv with
Python's csv module, the metrics with the Prometheus client's own parser, and Ctrl+C ending a run
at once with the samples taken so far.

Run by ctest in the Windows tree with the Wine prefix and test servers that scripts/test starts;
argv: wine, ovmonctl.exe, ovmonsvc.exe. It writes the Monitor's registry key of that prefix (no other test does).
"""
import csv
import io
import json
import os
import re
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest

WINE, OVMONCTL, OVMONSVC = sys.argv[1], sys.argv[2], sys.argv[3]
NTP = "server 127.0.0.1 protocol ntp port %s delay 16" % os.environ["OVMON_NTP_PORT"]
PRODUCT = r"HKEY_LOCAL_MACHINE\Software\Tallowin\Orvane Monitor"
PARAMETERS = PRODUCT + r"\Parameters"
ISO = r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z"


def run_raw(*args, stdin=None):
    """Runs ovmonctl; its output, as bytes, goes to files, which a lingering Wine helper cannot hold open."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run([WINE, OVMONCTL, *args], stdout=out, stderr=err, stdin=stdin, timeout=120).returncode
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read()


def run(*args, stdin=None):
    """Runs ovmonctl; its output as text."""
    code, out, err = run_raw(*args, stdin=stdin)
    return code, Text(out), Text(err)


def metrics(text):
    """The samples of a metrics text as the Prometheus client's parser reads them: {(name, labels): value}."""
    from prometheus_client.parser import text_string_to_metric_families
    return {(sample.name, tuple(sorted(sample.labels.items()))): sample.value
            for family in text_string_to_metric_families(text) for sample in family.samples}


ROLES = ["master", "slave", "independent", "client"]


def Text(data):
    """A Windows console program's output, its CR LF line ends read as newlines."""
    return data.decode("utf-8").replace("\r\n", "\n")


def Bytes(path):
    with open(path, "rb") as file:
        return file.read()


def LinesIn(path):
    return Bytes(path).count(b"\n")


def import_registry(lines):
    """Imports REGEDIT4 lines into the prefix's registry."""
    with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as reg:
        reg.write("REGEDIT4\r\n\r\n" + "\r\n".join(lines) + "\r\n")
    subprocess.run([WINE, "regedit", "/S", reg.name], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120)
    os.unlink(reg.name)


def hex_value(data):
    return "hex:" + ",".join("%02x" % b for b in data)


def summary(time_, status, worst=(0, 12, -7, 3), counts=(24, 2, 6, 1, 15)):
    """A 328-byte check summary as the service stores it."""
    record = bytearray(328)
    struct.pack_into("<III", record, 4, status, time_, 0)
    struct.pack_into("<BBB", record, 32, 0, 1, 1)
    struct.pack_into("<III", record, 36, 1000, 750, 500)
    struct.pack_into("<5I", record, 52, *counts)
    struct.pack_into("<5q", record, 72, 1, 2, 0, 5, 3)
    struct.pack_into("<4q", record, 128, *worst)
    return bytes(record)


def windows_path(path):
    return subprocess.run([WINE, "winepath", "-w", path], capture_output=True, text=True,
                          timeout=120).stdout.strip()


class Usage(unittest.TestCase):
    def test_help_and_bad_usage(self):
        code, out, _ = run("--help")
        self.assertEqual(code, 0)
        self.assertIn("Commands:", out)
        code, out, _ = run("check", "--help")
        self.assertIn("--warn-ms", out)
        # A monitoring plug-in answers bad usage with UNKNOWN (3); the other commands with 2.
        for args, reason, expected in [(["frobnicate"], "unknown command 'frobnicate'", 2),
                                       (["test", NTP, "--count", "zero"], "--count takes a whole number", 2),
                                       (["check", "--warn-ms", "9", "--crit-ms", "1"], "--warn-ms must not be above", 3)]:
            code, out, err = run(*args)
            self.assertEqual(code, expected, args)
            self.assertEqual(out, "")
            self.assertTrue(err.startswith("ovmonctl: ") and reason in err and err.count("\n") == 1, err)


class Parse(unittest.TestCase):
    def test_good_and_bad_lines(self):
        code, out, _ = run("parse", "server 127.0.0.1 protocol ntp samples 4")
        self.assertEqual(code, 0)
        lines = out.splitlines()
        self.assertTrue(lines[0].startswith("server 127.0.0.1 "), lines[0])
        self.assertIn("  protocol NTP, port 123", lines)
        code, out, _ = run("parse", "server a.example samples 99")
        self.assertEqual(code, 1)
        self.assertRegex(out, r"^error \d+: .+\n$")


class Test(unittest.TestCase):
    def test_report_like_the_test_dialog(self):
        code, out, _ = run("test", NTP + " samples 2")
        self.assertEqual(code, 0, out)
        self.assertIn("Test Successful. 2 time samples obtained", out)
        self.assertIn("  NTP version 3, stratum 8, leap 0, ref 127.127.1.1", out)
        self.assertNotIn("\r", out)

    def test_failures(self):
        code, out, _ = run("test", "server 127.0.0.1 protocol ntp port 9 samples 1")
        self.assertEqual(code, 1)
        self.assertIn("Test failed; error ", out)
        code, out, _ = run("test", "server 127.0.0.1 protocol time")
        self.assertEqual(code, 1)
        self.assertIn("error 8225", out)

    def test_ov2_report(self):
        code, out, _ = run("test", "server 127.0.0.1 protocol ov2 port %s" % os.environ["OVMON_OV2_UDP_PORT"])
        self.assertEqual(code, 0, out)
        self.assertIn("  Serial 00C0-FFEE, role ", out)

    def test_strip_chart_of_three(self):
        code, out, _ = run("test", NTP, "--count", "3", "--interval", "0.05")
        self.assertEqual(code, 0)
        lines = out.splitlines()
        self.assertEqual(len(lines), 3, out)
        for line in lines:
            self.assertRegex(line, "^" + ISO + r"  delta [+-]\d\.\d{7} s  latency \d\.\d{7} s  127\.0\.0\.1  NTPv3 stratum 8")

    def test_json_report_and_json_lines(self):
        code, out, _ = run("test", NTP + " samples 2", "--json")
        self.assertEqual(code, 0)
        report = json.loads(out)
        self.assertEqual(report["code"], 0)
        self.assertEqual(len(report["samples"]), 2)
        sample = report["samples"][0]
        self.assertEqual((sample["protocol"], sample["stratum"], sample["address"]), ("NTP", 8, "127.0.0.1"))
        self.assertAlmostEqual(sample["delta"], sample["delta100ns"] / 1e7, places=6)
        code, out, _ = run("test", NTP, "--count", "2", "--interval", "0.05", "--json")
        self.assertEqual([json.loads(line)["errorCode"] for line in out.splitlines()], [0, 0])

    def test_ctrl_c_ends_a_long_run_with_what_it_has(self):
        with tempfile.NamedTemporaryFile() as out:
            process = subprocess.Popen([WINE, OVMONCTL, "test", NTP, "--interval", "0.1"], stdout=out,
                                       stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + 60
            while LinesIn(out.name) < 2 and time.monotonic() < deadline:
                time.sleep(0.05)
            process.send_signal(signal.SIGINT)
            self.assertEqual(process.wait(timeout=30), 0)  # the run has no end of its own
            with open(out.name, "rb") as written:  # a file of its own: the program writes to out
                lines = Text(written.read()).splitlines()
        self.assertGreaterEqual(len(lines), 2)
        self.assertTrue(all(" delta " in line for line in lines), lines)


class Stored(unittest.TestCase):
    """status, history, check and settings over what the service would have stored."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="ovmonctl-")
        records = {1700000000: 3, 1700000600: 1, 1700001200: 3}
        for time_, status in records.items():
            with open(os.path.join(cls.folder, "%d.bin" % time_), "wb") as file:
                file.write(summary(time_, status))
        with open(os.path.join(cls.folder, "12345.bin"), "wb") as file:  # not a stored check's name
            file.write(summary(12345, 1))
        folder = windows_path(cls.folder).replace("\\", "\\\\")
        import_registry(["[-%s]" % PARAMETERS, "[%s]" % PARAMETERS, '"Data Folder"="%s\\\\"' % folder,
                         '"Check Results"=%s' % hex_value(summary(1700001200, 3)),
                         '"Check Results (alert)"=%s' % hex_value(summary(1700000600, 1)),
                         "[-%s\\Logs and Alerts]" % PRODUCT,
                         "[%s\\Logs and Alerts\\SMTP]" % PRODUCT, '"Password"="s3cret"',
                         '"Server"="mail.example.com"'])

    @classmethod
    def tearDownClass(cls):
        import_registry(["[-%s]" % PARAMETERS, "[-%s\\Logs and Alerts]" % PRODUCT])

    def test_status(self):
        code, out, _ = run("status")
        self.assertEqual(code, 0)
        lines = out.splitlines()
        self.assertEqual(lines[0], "Service: not running")
        self.assertIn("Last check: 2023-11-14T22:33:20Z, passed", lines)
        self.assertIn("Last alert: 2023-11-14T22:23:20Z, alert", lines)
        code, out, _ = run("status", "--json")
        status = json.loads(out)
        self.assertEqual(status["service"], "not running")
        self.assertEqual(status["lastAlert"]["machines"]["clients"], 15)
        self.assertEqual(status["lastCheck"]["worstVarianceMs"], [0, 12, -7, 3])

    def test_history(self):
        code, out, _ = run("history")
        self.assertEqual(code, 0)
        self.assertEqual([line.split()[0] for line in out.splitlines()],
                         ["2023-11-14T22:13:20Z", "2023-11-14T22:23:20Z", "2023-11-14T22:33:20Z"])
        code, out, _ = run("history", "--alerts")
        self.assertEqual(len(out.splitlines()), 1)
        self.assertIn(" alert ", out)
        code, out, _ = run("history", "--json")
        self.assertEqual([r["state"] for r in json.loads(out)], ["passed", "alert", "passed"])

    def test_history_as_csv(self):
        code, out, _ = run_raw("history", "--csv")
        self.assertEqual(code, 0)
        text = out.decode("ascii")
        self.assertEqual(text.count("\n"), text.count("\r\n"), "RFC 4180 line ends")
        rows = list(csv.DictReader(io.StringIO(text, newline="")))
        self.assertEqual([(r["time"], r["state"]) for r in rows],
                         [("2023-11-14T22:13:20Z", "passed"), ("2023-11-14T22:23:20Z", "alert"),
                          ("2023-11-14T22:33:20Z", "passed")])
        row = rows[1]
        self.assertEqual([row[k] for k in ("machines_answering", "masters", "clients", "unanswered")],
                         ["24", "2", "15", "0"])
        self.assertEqual([row["worst_%s_ms" % r] for r in ("masters", "slaves", "independents", "clients")],
                         ["0", "12", "-7", "3"])
        self.assertEqual([row[k] for k in ("single_machine_test", "single_machine_limit_ms", "total_variance_limit_ms",
                                           "master_slave_test", "master_slave_limit_ms")], ["0", "1000", "750", "1", "500"])
        for args, times in [(["--since", "2023-11-14T22:20Z", "--until", "2023-11-14T22:33:20"], ["2023-11-14T22:23:20Z"]),
                            (["--since", "2023-11-14T22:23:20Z", "--alerts"], ["2023-11-14T22:23:20Z"]),
                            (["--until", "2023-11-14"], [])]:
            code, out, _ = run_raw("history", "--csv", *args)
            self.assertEqual(code, 0, args)
            self.assertEqual([r["time"] for r in csv.DictReader(io.StringIO(out.decode("ascii"), newline=""))], times)
        code, out, _ = run("history", "--since", "2023-11-14T22:20:00Z")
        self.assertEqual([line.split()[0] for line in out.splitlines()], ["2023-11-14T22:23:20Z", "2023-11-14T22:33:20Z"])

    def test_metrics_of_the_stored_check(self):
        code, out, _ = run_raw("metrics")
        self.assertEqual(code, 0)
        self.assertNotIn(b"\r", out)
        samples = metrics(out.decode("ascii"))
        self.assertEqual(samples[("ovmon_last_check_timestamp_seconds", ())], 1700001200)
        self.assertEqual(samples[("ovmon_last_check_status", ())], 3)
        self.assertEqual(samples[("ovmon_machines_answering", (("role", "client"),))], 15)
        self.assertEqual(samples[("ovmon_variance_worst_seconds", (("role", "independent"),))], -0.007)
        self.assertEqual(samples[("ovmon_limit_seconds", (("test", "total_variance"),))], 0.75)

    def test_check_without_the_service_is_unknown(self):
        for args in [[], ["--last", "--warn-ms", "5"]]:
            code, out, _ = run("check", *args)
            self.assertEqual(code, 3, out)
            self.assertEqual(out, "OVMON UNKNOWN - the monitor service is not running\n")

    def test_mail_test_message(self):
        recipient = "console-%d@example.com" % os.getpid()
        smtp = ["--server", "127.0.0.1", "--port", os.environ["OVMON_SMTP_PORT"], "--security", "2",
                "--user", "alice", "--password-stdin", "--to", recipient]
        with tempfile.TemporaryFile() as password:
            password.write(b"s3cret\n")
            password.seek(0)
            code, out, _ = run("mail", "test", *smtp, stdin=password)
        self.assertEqual((code, out), (0, "Mail sent successfully.\n"))
        maildir = os.path.join(os.environ["OVMON_PEERS"], "smtp", "mail")
        delivered = [name for name in os.listdir(maildir)
                     if recipient.encode() in Bytes(os.path.join(maildir, name))]
        self.assertEqual(len(delivered), 1)
        with tempfile.TemporaryFile() as password:
            password.write(b"Pa55-never-shown\n")
            password.seek(0)
            code, out, _ = run("mail", "test", *smtp, stdin=password)
        self.assertEqual(code, 1)
        self.assertIn("535", out)
        self.assertNotIn("Pa55-never-shown", out)
        # A password longer than the settings keep is refused, never cut and sent.
        with tempfile.TemporaryFile() as password:
            password.write(b"x" * 128 + b"\n")
            password.seek(0)
            code, out, err = run("mail", "test", *smtp, stdin=password)
        self.assertEqual((code, out), (2, ""))
        self.assertIn("the password is longer than 127 characters", err)

    def test_settings_show_never_shows_the_password(self):
        code, out, _ = run("settings", "show")
        self.assertEqual(code, 0)
        self.assertIn("Server = mail.example.com\n", out)
        self.assertIn("Password = (set)\n", out)
        self.assertNotIn("s3cret", out)


def reg_add(name, kind, data):
    subprocess.run([WINE, "reg", "add", PARAMETERS, "/v", name, "/t", kind, "/d", data, "/f"], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)


@unittest.skipUnless(os.environ.get("OVMON_OV2_FLEET_PORT"), "no OV2 fleet (scripts/test starts one)")
class Live(unittest.TestCase):
    """check and status against the Monitor service running in a console over two loopback OV2
    servers 100 and 120 ms ahead of the reference."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="ovmonctl-live-")
        fleet = int(os.environ["OVMON_OV2_FLEET_PORT"])
        offsets = [int(o) for o in os.environ["OVMON_OV2_FLEET_OFFSETS"].split(",")]
        cls.worst = max(abs(offsets[1] - offsets[0]), abs(offsets[2] - offsets[0]))
        source = "server 127.0.0.1 protocol ov2 port %d"
        import_registry(["[-%s]" % PARAMETERS, "[%s]" % PARAMETERS])
        reg_add("Data Folder", "REG_SZ", windows_path(cls.folder) + "\\")
        reg_add("Service Log Filename", "REG_SZ", windows_path(os.path.join(cls.folder, "orvanem.log")))
        reg_add("Reference Clock Type", "REG_DWORD", "3")
        reg_add("Reference Clocks", "REG_MULTI_SZ", source % fleet)
        reg_add("Monitored Machines", "REG_MULTI_SZ",
                "\\0".join("master " + source % (fleet + i) for i in (1, 2)))
        reg_add("Single Limit", "REG_DWORD", "1000")
        cls.metrics_file = os.path.join(cls.folder, "ovmon.prom")
        reg_add("Metrics File", "REG_SZ", windows_path(cls.metrics_file))
        cls.service = subprocess.Popen([WINE, OVMONSVC, "-console"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 60
        while run("status")[1].startswith("Service: not running") and time.monotonic() < deadline:
            time.sleep(0.1)

    @classmethod
    def tearDownClass(cls):
        if cls.service.poll() is None:
            cls.service.send_signal(signal.SIGINT)
            cls.service.wait(timeout=60)
        import_registry(["[-%s]" % PARAMETERS])

    def test_before_the_stop_the_metrics_file_and_ovmonctl_agree_with_the_check(self):
        code, out, _ = run("check", "--now")
        self.assertEqual(code, 0, out)
        with open(self.metrics_file, encoding="ascii", newline="") as file:
            text = file.read()
        self.assertEqual(run_raw("metrics")[1].decode("ascii"), text, "the same from the stored state")
        self.assertEqual([name for name in os.listdir(self.folder) if name.startswith("ovmon.prom")], ["ovmon.prom"])
        samples = metrics(text)
        check = json.loads(run("status", "--json")[1])["lastCheck"]
        self.assertEqual(samples[("ovmon_last_check_timestamp_seconds", ())], check["timeSeconds"])
        self.assertEqual(samples[("ovmon_last_check_status", ())], check["status"])
        self.assertEqual(samples[("ovmon_last_check_reference_answered", ())], 1)
        for i, role in enumerate(ROLES):
            label = (("role", role),)
            self.assertEqual(samples[("ovmon_machines_answering", label)], list(check["machines"].values())[i + 1])
            self.assertEqual(samples[("ovmon_machines_unanswered", label)], 0)
            self.assertAlmostEqual(samples[("ovmon_variance_average_seconds", label)], check["averageVarianceMs"][i] / 1000)
            self.assertAlmostEqual(samples[("ovmon_variance_worst_seconds", label)], check["worstVarianceMs"][i] / 1000)
        self.assertAlmostEqual(samples[("ovmon_variance_total_average_seconds", ())], check["averageVarianceMs"][4] / 1000)
        self.assertEqual(samples[("ovmon_limit_seconds", (("test", "single_machine"),))], 1.0)
        self.assertEqual(samples[("ovmon_test_failed", (("test", "single_machine"),))], 0)
        self.assertGreaterEqual(samples[("ovmon_checks_total", ())], 2)
        self.assertEqual(samples[("ovmon_alerts_total", ())], 0)
        self.assertLessEqual(samples[("ovmon_service_start_time_seconds", ())], check["timeSeconds"])
        self.assertGreater(samples[("ovmon_last_check_duration_seconds", ())], 0)

    def test_check_runs_one_and_judges_it(self):
        code, out, _ = run("check", "--now")
        self.assertEqual(code, 0, out)
        self.assertRegex(out, r"^OVMON OK - check at \d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ passed, 2 machines, "
                              r"worst variance (\d+) ms \| worst=\1ms;;;0 ")
        worst = int(re.search(r"worst=(\d+)ms", out).group(1))
        self.assertLess(abs(worst - self.worst), 50, out)
        _, status, _ = run("status")
        self.assertIn(status.splitlines()[0], ["Service: running", "Service: checking"])
        for limits, expected in [(["--warn-ms", str(worst)], 0), (["--warn-ms", str(worst - 1)], 1),
                                 (["--warn-ms", "1", "--crit-ms", str(worst - 1)], 2)]:
            code, out, _ = run("check", "--last", *limits)
            self.assertEqual(code, expected, out)
        code, out, _ = run("history")
        self.assertGreaterEqual(len(out.splitlines()), 2, "the start-up check and the one asked for")
        code, out, _ = run("check", "--max-age", "1")
        if code == 3:  # the last check is more than a second old by now
            self.assertIn(" seconds old", out)

    def test_ctrl_c_stops_the_service_and_check_says_unknown(self):
        self.service.send_signal(signal.SIGINT)
        self.assertEqual(self.service.wait(timeout=60), 0)
        code, out, _ = run("check")
        self.assertEqual((code, out), (3, "OVMON UNKNOWN - the monitor service is not running\n"))

@unittest.skipUnless(os.environ.get("OVMON_OV2_FLEET_PORT"), "no OV2 fleet (scripts/test starts one)")
class LiveSilent(unittest.TestCase):
    """check against the Monitor service when some, then all, of its machines never answer."""

    def serve(self, machines):
        folder = tempfile.mkdtemp(prefix="ovmonctl-silent-")
        source = "server 127.0.0.1 protocol ov2 port %d samples 1"
        fleet, udp = int(os.environ["OVMON_OV2_FLEET_PORT"]), int(os.environ["OVMON_OV2_UDP_PORT"])
        ports = {"good": fleet + 1, "silent": udp + 11}
        import_registry(["[-%s]" % PARAMETERS, "[%s]" % PARAMETERS])
        reg_add("Data Folder", "REG_SZ", windows_path(folder) + "\\")
        reg_add("Service Log Filename", "REG_SZ", windows_path(os.path.join(folder, "orvanem.log")))
        reg_add("Monitored Machines", "REG_MULTI_SZ", "\\0".join("master " + source % ports[m] for m in machines))
        reg_add("Single Limit", "REG_DWORD", "100000")
        service = subprocess.Popen([WINE, OVMONSVC, "-console"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 60
        while run("status")[1].startswith("Service: not running") and time.monotonic() < deadline:
            time.sleep(0.1)
        try:
            return run("check", "--now") + (metrics(run("metrics")[1]),)
        finally:
            service.send_signal(signal.SIGINT)
            service.wait(timeout=60)
            import_registry(["[-%s]" % PARAMETERS])

    def test_some_silent_is_a_warning_all_silent_critical(self):
        for machines, expected, words in [(["good", "silent"], 1, "1 of 2 machines did not answer"),
                                          (["silent", "silent"], 2, "none of the 2 machines answered")]:
            code, out, _, samples = self.serve(machines)
            self.assertEqual(code, expected, out)
            self.assertIn("unknown (%s)" % words, out)
            self.assertIn(" unanswered=%d" % machines.count("silent"), out)
            master = (("role", "master"),)
            self.assertEqual(samples[("ovmon_machines_unanswered", master)], machines.count("silent"))
            self.assertEqual(samples[("ovmon_machines_answering", master)], machines.count("good"))
            self.assertEqual(samples[("ovmon_last_check_status", ())], 0)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
