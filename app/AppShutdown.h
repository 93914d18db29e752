#pragma once

// Shutdown of the work that runs on other threads, in the order that keeps
// every thread away from what is already gone. After the main window (and
// with it the install worker) has gone:
//   EndRequests();  delete the notification centre;  ...;  EndTransfers();

// Request threads abort their transfers as soon as they are cancelled, so
// this bound is reached only by a thread stuck outside libcurl.
constexpr int kRequestEndWaitMs = 800;

// Cancels the HTTP requests still under way and waits for their threads, at
// most nWaitMs. Once it returns no request fires an event, so the
// notification centre may go. True when no request thread is left.
bool EndRequests(int nWaitMs = kRequestEndWaitMs);

// libcurl's global clean-up. Skipped, with a log line, while a request
// thread is still alive: it may still be inside libcurl, and the process
// ends right after anyway.
void EndTransfers();
