#include "catalogue/price_chart.h"

#include <algorithm>

#include "common/date_code.h"
#include "common/encoding.h"
#include "common/html_text.h"
#include "common/string_ops.h"

namespace trubkom::catalogue {

using namespace common::literals;

namespace {

// The chart's size and the room left for the caption and the labels, in pixels.
constexpr int kWidth = 320, kHeight = 134;
constexpr int kLeft = 64, kRight = 8, kTop = 22, kBottom = 22;

std::string Text(int x, int y, const char* anchor, const std::string& text) {
  return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" text-anchor=\"" +
         anchor + "\">" + common::HtmlEscaped(text) + "</text>";
}

std::string Roubles(long long price) { return std::to_string(price) + std::string(" р."_cp1251); }

// The day of a date code DDMMYY counted from 1 January 2000 (the years are 2000 to 2099, as the
// update dates compare them): the points stand as far apart as their dates.
long long DayOf(std::string_view code) {
  auto piece = [&](std::size_t at) {
    return at < code.size() ? common::TextToInt(code.substr(at, 2)) : 0;
  };
  long long year = 2000 + piece(4), month = std::clamp(piece(2), 1LL, 12LL), day = piece(0);
  // Days from the civil calendar, in years that begin in March so that the leap day comes last.
  year -= month <= 2 ? 1 : 0;
  const long long years = year - 2000, month_from_march = (month + 9) % 12;
  return years * 365 + years / 4 - years / 100 + years / 400 + (153 * month_from_march + 2) / 5 +
         day - 1;
}

// The horizontal places of the points, 0 to 1: by their dates, or evenly when the dates do not
// spread them (all on one day, or out of order).
std::vector<double> PlacesByDate(const std::vector<PricePoint>& points) {
  std::vector<long long> days;
  for (const PricePoint& point : points) days.push_back(DayOf(point.date_code));
  const bool spread = std::is_sorted(days.begin(), days.end()) && days.back() > days.front();
  std::vector<double> places;
  for (std::size_t i = 0; i < days.size(); ++i) {
    places.push_back(spread ? double(days[i] - days.front()) / double(days.back() - days.front())
                            : double(i) / double(days.size() - 1));
  }
  return places;
}

}  // namespace

std::string PriceChartSvg(const std::vector<PricePoint>& points) {
  if (points.size() < 2) return {};
  auto [low, high] = std::minmax_element(
      points.begin(), points.end(),
      [](const PricePoint& a, const PricePoint& b) { return a.price < b.price; });
  const double span = static_cast<double>(high->price - low->price);
  const double plot_width = kWidth - kLeft - kRight, plot_height = kHeight - kTop - kBottom;
  const std::vector<double> places = PlacesByDate(points);
  std::string line, dots;
  for (std::size_t i = 0; i < points.size(); ++i) {
    // A history without change lies mid-height.
    double x = kLeft + plot_width * places[i];
    double share = span == 0 ? 0.5 : static_cast<double>(points[i].price - low->price) / span;
    double y = kTop + plot_height * (1 - share);
    std::string at =
        std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y));
    line += (i == 0 ? "" : " ") + at;
    dots += "<circle cx=\"" + std::to_string(static_cast<int>(x)) + "\" cy=\"" +
            std::to_string(static_cast<int>(y)) + "\" r=\"3\"><title>" +
            common::HtmlEscaped(common::DisplayDate(points[i].date_code) + ": " +
                                Roubles(points[i].price)) +
            "</title></circle>";
  }
  const int bottom = kHeight - kBottom;
  const std::string caption(std::string_view("Средняя цена по магазинам, р."_cp1251));
  // Its own size at most: in a narrow page it shrinks with the column rather than widen it.
  return "<svg class=\"PriceChart\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" "
         "style=\"max-width:100%;height:auto\" width=\"" +
         std::to_string(kWidth) + "\" height=\"" + std::to_string(kHeight) + "\" viewBox=\"0 0 " +
         std::to_string(kWidth) + " " + std::to_string(kHeight) +
         "\" font-size=\"11\" fill=\"currentColor\"><title>" + common::HtmlEscaped(caption) +
         "</title>" + Text(0, 12, "start", caption) + "<line class=\"PriceChartAxis\" x1=\"" +
         std::to_string(kLeft) + "\" y1=\"" + std::to_string(bottom) + "\" x2=\"" +
         std::to_string(kWidth - kRight) + "\" y2=\"" + std::to_string(bottom) +
         "\" stroke=\"#999\"/>" + Text(kLeft - 6, kTop + 8, "end", Roubles(high->price)) +
         Text(kLeft - 6, bottom, "end", Roubles(low->price)) +
         Text(kLeft, kHeight - 6, "start", common::DisplayDate(points.front().date_code)) +
         Text(kWidth - kRight, kHeight - 6, "end", common::DisplayDate(points.back().date_code)) +
         "<polyline class=\"PriceChartLine\" fill=\"none\" stroke=\"#c0392b\" stroke-width=\"2\" "
         "points=\"" +
         line + "\"/>" + dots + "</svg>";
}

std::string PriceTrendArrow(const std::vector<PricePoint>& points) {
  if (points.size() < 2) return {};
  long long last = points.back().price, before = points[points.size() - 2].price;
  if (last > before) return "&uarr;";
  if (last < before) return "&darr;";
  return "&rarr;";
}

}  // namespace trubkom::catalogue
