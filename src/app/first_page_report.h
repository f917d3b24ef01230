#pragma once

class QWebEngineView;

namespace trubkom::app {

// For measuring start-up: when the environment variable TRUBKOM_REPORT_FIRST_PAGE is set, the
// first page the view finishes loading is reported on standard error as "first page: N ms",
// counted from TRUBKOM_LAUNCHED_NS (the launch time in nanoseconds of CLOCK_REALTIME, as
// `date +%s%N` gives it) or else from this call, and then as "first page shown: ADDRESS" (or
// "first page not loaded: ADDRESS"); with the value "quit" the program then ends.
// The report comes after a round trip to the page's renderer, so the page has been laid out.
void ReportFirstPageWhenAsked(QWebEngineView* view);

}  // namespace trubkom::app
