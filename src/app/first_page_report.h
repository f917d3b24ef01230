#pragma once

#include <functional>

class QWebEngineView;

namespace trubkom::app {

// For measuring start-up as the user waits for it, when the environment variable
// TRUBKOM_REPORT_FIRST_PAGE is set; times are counted from TRUBKOM_LAUNCHED_NS (the launch time
// in nanoseconds of CLOCK_REALTIME, as `date +%s%N` gives it) or else from this call:
// - the first page the view finishes loading, on standard error as "first page: N ms" and then
//   "first page shown: ADDRESS" (or "first page not loaded: ADDRESS"), after a round trip to the
//   page's renderer, so the page has been laid out;
// - with_lists, for the window: "lists filled: N ms" when the function returned is called, once
//   the brand box, the models list and the wizard's counts are filled and drawn.
// With the value "quit" the program ends once all are reported. The function returned is empty
// when nothing is measured.
std::function<void()> ReportStartUpWhenAsked(QWebEngineView* view, bool with_lists = false);

}  // namespace trubkom::app
