#include "catalogue/price_chart.h"

#include <algorithm>

#include "common/date_code.h"
#include "common/html_text.h"

namespace trubkom::catalogue {

namespace {

// The chart's size and the room left for the labels, in pixels.
constexpr int kWidth = 320, kHeight = 120;
constexpr int kLeft = 56, kRight = 8, kTop = 8, kBottom = 22;

std::string Text(int x, int y, const char* anchor, const std::string& text) {
  return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" text-anchor=\"" +
         anchor + "\">" + common::HtmlEscaped(text) + "</text>";
}

}  // namespace

std::string PriceChartSvg(const std::vector<PricePoint>& points) {
  if (points.size() < 2) return {};
  auto [low, high] = std::minmax_element(
      points.begin(), points.end(),
      [](const PricePoint& a, const PricePoint& b) { return a.price < b.price; });
  const double span = static_cast<double>(high->price - low->price);
  const double plot_width = kWidth - kLeft - kRight, plot_height = kHeight - kTop - kBottom;
  std::string line, dots;
  for (std::size_t i = 0; i < points.size(); ++i) {
    // Points stand evenly in the order of their dates; a history without change lies mid-height.
    double x = kLeft + plot_width * static_cast<double>(i) / static_cast<double>(points.size() - 1);
    double share = span == 0 ? 0.5 : static_cast<double>(points[i].price - low->price) / span;
    double y = kTop + plot_height * (1 - share);
    std::string at =
        std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y));
    line += (i == 0 ? "" : " ") + at;
    dots += "<circle cx=\"" + std::to_string(static_cast<int>(x)) + "\" cy=\"" +
            std::to_string(static_cast<int>(y)) + "\" r=\"3\"><title>" +
            common::HtmlEscaped(common::DisplayDate(points[i].date_code) + ": " +
                                std::to_string(points[i].price)) +
            "</title></circle>";
  }
  const int bottom = kHeight - kBottom;
  // Its own size at most: in a narrow page it shrinks with the column rather than widen it.
  return "<svg class=\"PriceChart\" xmlns=\"http://www.w3.org/2000/svg\" "
         "style=\"max-width:100%;height:auto\" width=\"" +
         std::to_string(kWidth) + "\" height=\"" + std::to_string(kHeight) + "\" viewBox=\"0 0 " +
         std::to_string(kWidth) + " " + std::to_string(kHeight) +
         "\" font-size=\"11\" fill=\"currentColor\">"
         "<line class=\"PriceChartAxis\" x1=\"" +
         std::to_string(kLeft) + "\" y1=\"" + std::to_string(bottom) + "\" x2=\"" +
         std::to_string(kWidth - kRight) + "\" y2=\"" + std::to_string(bottom) +
         "\" stroke=\"#999\"/>" + Text(kLeft - 6, kTop + 8, "end", std::to_string(high->price)) +
         Text(kLeft - 6, bottom, "end", std::to_string(low->price)) +
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
