#!/usr/bin/env python3
"""End to end: the browser host with the program's policies against the
reference backend, under Xvfb. Assertions use the backend's request log, the
reports test pages post back, and the driver's debug lines."""
import os
import socket
import sys
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Session, WaitTimeout, header, page  # noqa: E402

WWW = "www.tovrel.localhost"


class BrowserEndToEnd(unittest.TestCase):
    def setUp(self):
        self.s = Session()
        self.b = self.s.backend

    def tearDown(self):
        self.s.close()

    def url(self, path, host=WWW):
        return self.b.url(host, path)

    def requests_to(self, host, path_prefix):
        return [r for r in self.b.requests() if r["host"] == host and r["path"].startswith(path_prefix)]

    def wait_requests_to(self, host, path_prefix):
        return self.b.wait_requests(lambda r: r["host"] == host and r["path"].startswith(path_prefix),
                                    "a request to %s%s" % (host, path_prefix))

    def test_identity_headers_on_backend_requests_only(self):
        self.b.page("/e2e/identity.html", page(
            "<p>identity</p><script>Promise.all(["
            "fetch('%s').catch(function(){}),"
            "fetch('%s').catch(function(){})]).then(function(){report('identity');});</script>"
            % (self.url("/status/200?plain=1", "meet.localhost"),
               self.url("/x/secure-media/clip.mp4", "meet.localhost"))))
        self.s.player(self.url("/e2e/identity.html"), "url_direct")
        self.b.wait_report("identity")
        top = self.wait_requests_to(WWW, "/e2e/identity.html")[0]
        for name, value in (("X-Pellaro-Client", "desktop"), ("X-Device-Id", "DEV-TEST-1"),
                            ("X-Hardware-Id", "HW-TEST-2"), ("X-Pellaro-Device", "DEV-TEST-1"),
                            ("X-Pellaro-Hardware", "HW-TEST-2")):
            self.assertEqual(header(top, name), value, name)
        plain = self.wait_requests_to("meet.localhost", "/status/200")[0]
        self.assertEqual(header(plain, "X-Pellaro-Client"), "desktop")
        self.assertIsNone(header(plain, "X-Device-Id"))
        self.assertIsNone(header(plain, "X-Pellaro-Device"))
        media = self.wait_requests_to("meet.localhost", "/x/secure-media/")[0]
        self.assertIsNone(header(media, "X-Device-Id"))
        self.assertEqual(header(media, "X-Pellaro-Device"), "DEV-TEST-1")
        self.assertEqual(header(media, "X-Pellaro-Hardware"), "HW-TEST-2")

    def test_referer_for_the_video_sharing_service(self):
        # The page lives on another host than the academy, so the engine's own
        # referrer would name that host; the program names the academy.
        self.b.page("/e2e/embed.html", page(
            "<iframe src='%s' onload=\"report('embed')\"></iframe>" % self.url("/embed/abc", "www.vidshare.localhost")))
        base = self.url("/")
        self.s.player(self.url("/e2e/embed.html", "meet.localhost"), "url_direct", base=base)
        self.b.wait_report("embed")
        embed = self.wait_requests_to("www.vidshare.localhost", "/embed/abc")[0]
        # The engine writes a referrer as a URL, so the origin keeps its "/".
        self.assertEqual(header(embed, "Referer"), base.rstrip("/") + "/")
        report = self.b.wait_requests(lambda r: r["path"] == "/report", "the report's request")[0]
        self.assertEqual(header(report, "Referer"), self.url("/e2e/embed.html", "meet.localhost"))

    def test_disallowed_link_is_cancelled_also_through_a_new_window(self):
        outside = "https://outside.invalid/landing"
        self.b.page("/e2e/links.html", page(
            "<a id='same' href='%s'>same</a><a id='blank' href='%s?blank=1' target='_blank'>blank</a>"
            "<script>window.addEventListener('load',function(){"
            "document.getElementById('same').click();"
            "setTimeout(function(){document.getElementById('blank').click();},800);"
            "setTimeout(function(){report('links',{href:location.href});},2500);});</script>" % (outside, outside)))
        d = self.s.player(self.url("/e2e/links.html"), "url_direct")
        d.wait_line(r"^Navigation cancelled: https://outside\.invalid/landing$")
        d.wait_line(r"^Navigation cancelled: https://outside\.invalid/landing\?blank=1$")
        data = self.b.wait_report("links")
        self.assertEqual(data["href"], self.url("/e2e/links.html"))

    def test_query_only_change_is_allowed(self):
        self.b.page("/e2e/query.html", page(
            "<script>if(location.search!=='?page=2'){location.search='?page=2';}"
            "else{report('query',{href:location.href});}</script>"))
        content = self.url("/e2e/query.html")
        d = self.s.player(content, "url_direct", base="")
        data = self.b.wait_report("query")
        self.assertEqual(data["href"], content + "?page=2")
        d.wait_line(r"^Navigation allowed: .*/e2e/query\.html\?page=2$")

    def test_blocked_host_gets_no_request_while_the_page_goes_on(self):
        self.b.page("/e2e/blocked.html", page(
            "<script>function probe(u){return fetch(u).then(function(r){return r.status;},"
            "function(){return 'failed';});}"
            "Promise.all([probe('%s'),probe('%s')]).then(function(v){report('blocked',{intercept:v[0],other:v[1]});});"
            "</script>" % (self.url("/status/200?i=1", "intercept.tovrel.localhost"), self.url("/status/200?o=1"))))
        # The interceptor host presents a chain that fails the backend's pins.
        d = self.s.player(self.url("/e2e/blocked.html"), "url_direct")
        data = self.b.wait_report("blocked")
        self.assertEqual(data["intercept"], "failed")
        self.assertEqual(data["other"], 200)
        self.assertEqual(self.requests_to("intercept.tovrel.localhost", "/"), [])
        d.wait_line(r"^Blocked host: intercept\.tovrel\.localhost$")

    def test_print_requests_reach_the_program(self):
        self.b.page("/e2e/print.html", page(
            "<input id='f' autofocus><script>var results=0;"
            "window.chrome.webview.addEventListener('message',function(e){"
            "if(e.data&&e.data.type==='printResult'){results++;report('result'+results,{status:e.data.status});}});"
            "window.addEventListener('load',function(){"
            "var original=window.print;var replaced=false;"
            "try{window.print=function(){};}catch(err){}"
            "try{Object.defineProperty(window,'print',{value:function(){}});replaced=true;}catch(err){}"
            "report('print',{same:window.print===original,redefined:replaced});window.print();"
            "document.getElementById('f').focus();});"
            "document.addEventListener('keydown',function(e){"
            "if(e.ctrlKey&&/^[sSoOpP]$/.test(e.key)){report('leak',{key:e.key});}"
            "else if(e.key==='a'){report('typed');}});</script>"))
        d = self.s.player(self.url("/e2e/print.html"), "url_direct")
        data = self.b.wait_report("print")
        self.assertTrue(data["same"])
        self.assertFalse(data["redefined"])
        d.wait_line(r"^Action: print$")
        self.assertEqual(self.b.wait_report("result1")["status"], "cancelled")
        # Ctrl+P typed into the page, as a person would.
        for _ in range(5):
            self.s.press_keys(d, "ctrl+p")
            try:
                d.wait_count(r"^Action: print$", 2, 5)
                break
            except WaitTimeout:
                pass  # the key went nowhere: focus and press again
        # The view takes Ctrl+P itself (the PDF viewer's frame has no page script),
        # so the second request is the key, not a message of the page.
        self.assertGreaterEqual(len(d.matching(r"^Action: print$")), 2)
        self.assertEqual(self.b.wait_report("result2")["status"], "cancelled")
        # Save and open shortcuts never reach the page; a plain key does.
        self.s.press_keys(d, "ctrl+s", "ctrl+o", "ctrl+shift+S", "a")
        self.b.wait_report("typed")
        self.assertEqual(self.b.reports("leak"), [])

    def test_watermark_and_print_button_come_back(self):
        self.b.page("/e2e/remove.html", page(
            "<p>document</p><script>window.addEventListener('load',function(){"
            "var had=!!document.getElementById('pellaro-watermark')&&!!document.getElementById('pellaro-print-btn');"
            "document.getElementById('pellaro-watermark').remove();document.getElementById('pellaro-print-btn').remove();"
            "var gone=!document.getElementById('pellaro-watermark');"
            "setTimeout(function(){report('remove',{had:had,gone:gone,"
            "watermark:!!document.getElementById('pellaro-watermark'),"
            "button:!!document.getElementById('pellaro-print-btn')});},500);});</script>"))
        self.s.player(self.url("/e2e/remove.html"), "pdf", watermark="student@example.com")
        data = self.b.wait_report("remove")
        self.assertEqual(data, {"tag": "remove", "had": True, "gone": True, "watermark": True, "button": True})

    def test_watermark_text_is_shown_verbatim(self):
        text = "O'Neil \"quoted\" <b>bold</b> </script> back\\slash\nsecond line\r\nthird"
        self.b.page("/e2e/mark.html", page(
            "<script>window.addEventListener('load',function(){var w=document.getElementById('pellaro-watermark');"
            "report('mark',{text:w?w.textContent:null,children:w?w.children.length:-1});});</script>"))
        self.s.player(self.url("/e2e/mark.html"), "pdf_url", watermark=text)
        data = self.b.wait_report("mark")
        self.assertEqual(data["text"], text)
        self.assertEqual(data["children"], 0)

    def test_loader_leaves_after_five_seconds_without_load(self):
        hang = socket.socket()
        hang.bind(("127.0.0.1", 0))
        hang.listen(8)
        held = []
        stop = threading.Event()

        def hold():
            hang.settimeout(0.5)
            while not stop.is_set():
                try:
                    held.append(hang.accept()[0])
                except OSError:
                    pass
        holder = threading.Thread(target=hold, daemon=True)
        holder.start()
        try:
            self.b.page("/e2e/hang.html", page(
                "<img src='http://127.0.0.1:%d/never.png'><script>"
                "document.addEventListener('DOMContentLoaded',function(){var t0=Date.now();"
                "setTimeout(function(){report('early',{loader:!!document.getElementById('pellaro-full-loader'),"
                "state:document.readyState});},1000);"
                "setTimeout(function(){report('late',{loader:!!document.getElementById('pellaro-full-loader'),"
                "state:document.readyState});},7000);});</script>" % hang.getsockname()[1]))
            self.s.player(self.url("/e2e/hang.html"), "url_direct")
            early = self.b.wait_report("early")
            late = self.b.wait_report("late")
            self.assertTrue(early["loader"])
            self.assertFalse(late["loader"])
            self.assertNotEqual(late["state"], "complete")
        finally:
            stop.set()
            holder.join(5)
            for conn in held:
                conn.close()
            hang.close()

    def test_navigation_bar_buttons_and_stored_position(self):
        self.b.page("/e2e/home.html", page(
            "<h1>Home</h1><script>window.addEventListener('load',function(){"
            "var c=document.getElementById('pellaro-nav-container');"
            "var first=sessionStorage.getItem('round')===null;"
            "var info={first:first,left:c&&c.style.left,top:c&&c.style.top,buttons:c?c.querySelectorAll('button').length:0};"
            "if(!first){report('second',info);return;}"
            "sessionStorage.setItem('round','1');"
            "function mouse(t,target,x,y){target.dispatchEvent(new MouseEvent(t,{bubbles:true,clientX:x,clientY:y}));}"
            "mouse('mousedown',c,30,30);mouse('mousemove',window,33,32);mouse('mouseup',window,33,32);"
            "c.querySelectorAll('button')[1].click();"
            "info.small=[c.style.left,localStorage.getItem('pl_nx')];"
            "mouse('mousedown',c,30,30);mouse('mousemove',window,130,90);mouse('mouseup',window,130,90);"
            "var home=c.querySelectorAll('button')[0];home.click();"
            "info.nx=localStorage.getItem('pl_nx');info.ny=localStorage.getItem('pl_ny');"
            "c.remove();"
            "setTimeout(function(){info.back=!!document.getElementById('pellaro-nav-container');"
            "report('first',info).then(function(){c=document.getElementById('pellaro-nav-container');"
            "c.querySelectorAll('button')[2].click();});},300);});</script>"))
        home = self.url("/e2e/home.html")
        d = self.s.driver(["--mode", "home", "--home", home])
        first = self.b.wait_report("first")
        self.assertEqual((first["left"], first["top"], first["buttons"]), ("20px", "20px", 4))
        self.assertEqual(first["small"], ["23px", None])  # moved 3 px: still a click, nothing stored
        self.assertEqual((first["nx"], first["ny"]), ("123", "82"))
        self.assertTrue(first["back"])
        second = self.b.wait_report("second")
        self.assertEqual((second["left"], second["top"]), ("123px", "82px"))
        d.wait_line(r"^WebMessage: btn_reload$")
        d.wait_line(r"^WebMessage: btn_back$")
        self.assertEqual(d.matching(r"^WebMessage: btn_home$"), [])  # the click ending a drag is swallowed
        d.wait_count(r"^Action: front$", 2)
        self.assertGreaterEqual(len(d.matching(r"^Action: front$")), 2)  # after every navigation
        d.wait_line(r"^Base address: https://www\.tovrel\.localhost:%d$" % self.b.port)

    def test_permissions_notifications_granted_geolocation_refused(self):
        self.b.page("/e2e/permissions.html", page(
            "<script>var out={};function done(){if('notify' in out&&'geo' in out)report('permissions',out);}"
            "Notification.requestPermission().then(function(p){out.notify=p;done();});"
            "navigator.geolocation.getCurrentPosition(function(){out.geo='granted';done();},"
            "function(e){out.geo=e.code;done();});</script>"))
        self.s.player(self.url("/e2e/permissions.html"), "url_direct")
        data = self.b.wait_report("permissions")
        self.assertEqual(data["notify"], "granted")
        self.assertEqual(data["geo"], 1)  # PERMISSION_DENIED

    def test_page_loaded_shows_the_player_once(self):
        # The player page posts "pageLoaded"; the framed item has it post
        # again (only the top document is heard; web security is off, so the
        # frame reaches its parent).
        self.b.page("/e2e/item.html", page(
            "<p>item</p><script>window.addEventListener('load',function(){"
            "window.top.chrome.webview.postMessage('pageLoaded');report('item');});</script>"))
        d = self.s.player(self.url("/e2e/item.html"), "video")
        self.b.wait_report("item")
        d.wait_count(r"^WebMessage: pageLoaded$", 2)
        d.wait_line(r"^Action: show player$")
        self.assertEqual(len(d.matching(r"^Action: show player$")), 1)


if __name__ == "__main__":
    unittest.main()
