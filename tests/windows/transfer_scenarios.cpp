// The misbehaving HTTP server of the Windows transfer's tests, run on Linux
// beside the Windows test program under Wine (run_wine_test.sh starts it).
// It serves one connection at a time, and Wine's WinHTTP reads out what is
// left of a body before it lets a connection go, so every misbehaviour ends
// by itself a few seconds after the client's limits have passed.
// The first path segment of a request names what it does; any other target is
// answered with itself as the body.  /hold/... answers only once the file
// named in QUORVEL_SCENARIO_RELEASE exists (a minute at most, then it says
// "expired" in /seen), and /seen lists the targets asked for so far.  It prints "127.0.0.1:PORT 127.0.0.1:PORT2"
// (PORT2: a port nobody listens on) and serves until it is ended, or at the
// latest after ten minutes.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "scripted_http_server.h"

namespace {

using namespace std::chrono_literals;
using quorvel::testing::HttpChunk;
using quorvel::testing::HttpHead;
using quorvel::testing::HttpResponse;
using quorvel::testing::ScriptedHttpServer;
using Connection = ScriptedHttpServer::Connection;

const std::string kChunkedHead =
    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";

void Trickle(Connection& c, const std::string& head) {
  c.Send(head);
  for (int i = 0; i < 60 && !c.client_gone(); ++i) {
    c.Send("x");
    c.Pause(100ms);
  }
}

void Flood(Connection& c, const std::string& head, const std::string& block) {
  c.Send(head);
  for (int i = 0; i < 200 && !c.client_gone(); ++i) c.Send(block);
}

const std::map<std::string, std::function<void(Connection&, const std::string&)>>& Scenarios() {
  static const auto* scenarios = new std::map<std::string, std::function<void(Connection&, const std::string&)>>{
      {"status_500", [](Connection& c, const std::string&) { c.Send(HttpResponse(500, "error")); }},
      {"status_404", [](Connection& c, const std::string&) { c.Send(HttpResponse(404, "")); }},
      {"not_modified", [](Connection& c, const std::string&) { c.Send(HttpHead(304)); }},
      {"closed_before_answer", [](Connection&, const std::string&) {}},
      {"reset_before_answer", [](Connection& c, const std::string&) { c.Reset(); }},
      {"not_http", [](Connection& c, const std::string&) { c.Send("SSH-2.0-OpenSSH\r\n\r\n"); }},
      {"closed_before_length",
       [](Connection& c, const std::string&) {
         c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'x'));
       }},
      {"reset_mid_body",
       [](Connection& c, const std::string&) {
         c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'x'));
         c.Pause(100ms);
         c.Reset();
       }},
      {"chunked_without_final_chunk",
       [](Connection& c, const std::string&) { c.Send(kChunkedHead + HttpChunk("first part")); }},
      {"stall_before_status", [](Connection& c, const std::string&) { c.Pause(10s); }},
      {"stall_mid_body",
       [](Connection& c, const std::string&) {
         c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nabc");
         c.Pause(10s);
       }},
      {"trickle",
       [](Connection& c, const std::string&) {
         Trickle(c, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
       }},
      {"announced_too_large",
       [](Connection& c, const std::string&) {
         c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n");
         c.Pause(10s);
       }},
      {"unannounced_too_large",
       [](Connection& c, const std::string&) {
         Flood(c, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", std::string(8192, 'y'));
       }},
      {"chunked_too_large",
       [](Connection& c, const std::string&) {
         Flood(c, kChunkedHead, HttpChunk(std::string(8192, 'z')));
       }},
      {"redirect_loop",
       [](Connection& c, const std::string& target) {
         c.Send(HttpResponse(302, "", "Location: " + target + "\r\n"));
       }},
      {"with_length",
       [](Connection& c, const std::string&) { c.Send(HttpResponse(200, "decoded listing")); }},
      {"until_close",
       [](Connection& c, const std::string&) {
         c.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\ndecoded listing");
       }},
      {"chunked_in_pieces",
       [](Connection& c, const std::string&) {
         c.Send(kChunkedHead);
         for (const char* piece : {"dec", "oded", " ", "listing"}) {
           c.Send(HttpChunk(piece));
           c.Pause(20ms);
         }
         c.Send("0\r\n\r\n");
       }},
      {"chain",  // /chain/N: N redirects, then the end of the chain
       [](Connection& c, const std::string& target) {
         const int left = std::stoi("0" + target.substr(target.rfind('/') + 1));
         if (left == 0) {
           c.Send(HttpResponse(200, "end of the chain"));
         } else {
           c.Send(HttpResponse(302, "", "Location: /chain/" + std::to_string(left - 1) + "\r\n"));
         }
       }},
  };
  return *scenarios;
}

}  // namespace

int main() {
  int port = 0;
  ScriptedHttpServer* self = nullptr;
  bool expired = false;
  const char* release = std::getenv("QUORVEL_SCENARIO_RELEASE");
  ScriptedHttpServer server(
      [&](Connection& c, const std::string& target) {
        const std::size_t end = target.find_first_of("/?", 1);
        const std::string name = target.substr(1, end == std::string::npos ? end : end - 1);
        if (name == "hold") {
          for (int i = 0; i < 600 && !c.client_gone(); ++i) {
            if (release != nullptr && std::filesystem::exists(release)) {
              c.Send(HttpResponse(200, "<html><body>held</body></html>",
                                  "Content-Type: text/html\r\n"));
              return;
            }
            c.Pause(100ms);
          }
          expired = true;
          c.Send(HttpResponse(503, ""));
          return;
        }
        if (name == "seen") {
          std::string list;
          for (const std::string& seen : self->targets()) list += seen + "\n";
          c.Send(HttpResponse(200, list + (expired ? "expired\n" : "")));
          return;
        }
        if (name == "redirect_to_root") {
          // No path after the port: the root with the query is asked for.
          c.Send(HttpResponse(
              302, "", "Location: http://127.0.0.1:" + std::to_string(port) + "?x=1\r\n"));
          return;
        }
        const auto scenario = Scenarios().find(name);
        if (scenario != Scenarios().end()) {
          scenario->second(c, target);
        } else {
          c.Send(HttpResponse(200, target));
        }
      },
      10min);
  if (!server.ok()) return 1;
  self = &server;
  port = server.port();
  const std::string refusing = ScriptedHttpServer::RefusingUrl().toStdString();
  const std::string refusing_host = refusing.substr(7, refusing.find('/', 7) - 7);
  std::printf("127.0.0.1:%d %s\n", server.port(), refusing_host.c_str());
  std::fflush(stdout);
  std::this_thread::sleep_for(10min);
  return 0;
}
