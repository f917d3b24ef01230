#include "catalogue/model_page.h"

#include <gtest/gtest.h>

#include "common/line_file.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

using testing::W;

const char* const kShortPlaceholders[] = {
    "title",          "image",     "model",       "year",      "standart",
    "dimentions",     "weight",    "form-factor", "antenna",   "sar",
    "t_wait",         "t_work",    "accumulator", "irda",      "technologies",
    "poly",           "progr_mel", "vibro",       "display",   "rows",
    "manager",        "voice",     "games",       "mp3",       "FM",
    "camera",         "java",      "bluetooth",   "adv_title", "adv_body",
    "adv_pagebanner", "price",     "price_list"};

class ModelPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string short_template;
    for (const char* name : kShortPlaceholders)
      short_template += std::string(name) + "=<!" + name + "!>\r\n";
    cat.WriteBytes("Templates/model_template.html", short_template);
    cat.WriteText(
        "Base/sonyericsson_new.xml",
        "<brand><model><Model>K750i</Model><Standart>GSM</Standart><Sizes>1x2x3</Sizes>"
        "<Acc_Type>Li</Acc_Type><Form_Fact>bar</Form_Fact><Antenna>in</Antenna><SAR>0.5</SAR>"
        "<Vipusk>2005</Vipusk><Weight>99</Weight><Wait_Time>300</Wait_Time>"
        "<Work_Time>7</Work_Time><Disp_Rows>8</Disp_Rows><Mem_Rec>500</Mem_Rec>"
        "<Progr_Mel>40</Progr_Mel><Properties>111111111111111111111111111</Properties>"
        "<Price>300</Price><Picture>k750.png</Picture></model>"
        "<model><Model>T100</Model><Properties>00000</Properties></model></brand>");
    cat.WriteText("adv/prices/a.prc",
                  "Shop\nshop.html\nSonyericsson K750i^9000\nSony-Ericsson K770i^7000\n");
    adv.items = {"A(htmlcode)a(/htmlcode)a.html", "B(htmlcode)b(/htmlcode)b.html"};
    adv.banner_lines = {"1.png", "2.png", "3.png"};
  }
  std::map<std::string, std::string> ShortPage(const std::string& brand, const std::string& model) {
    EXPECT_TRUE(ShowModelPage(context, brand, model));
    std::map<std::string, std::string> values;
    for (const std::string& line : common::SplitLinesAtCr(cat.ReadBytes("Templates/temp.html"))) {
      values[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
    return values;
  }

  testing::TempCatalogue cat;
  CatalogueData data{cat.root()};
  common::LineTable index;
  Advertising adv;
  testing::FakeBrowser browser;
  testing::ScriptedRandom random;
  catalogue::Folders folders = cat.folders();
  PageContext context{folders, data,    index, selection::PropertyVocabulary::Builtin(),
                      adv,     browser, random};
};

TEST_F(ModelPageTest, ShortPageFillsEveryPlaceholderFromTheRecord) {
  auto v = ShortPage("Sony-Ericsson", "K750i");
  EXPECT_EQ(v["title"], "Sonyericsson K750i");
  EXPECT_EQ(v["model"], "Sonyericsson K750i");
  EXPECT_EQ(v["image"], "<img src=\"file://" + cat.root() +
                            "/Pics/Sonyericsson/k750.png\" alt=\"K750i\" class=\"normal\">");
  EXPECT_EQ(v["year"], "2005");
  EXPECT_EQ(v["standart"], "GSM");
  EXPECT_EQ(v["dimentions"], "1x2x3");
  EXPECT_EQ(v["weight"], "99");
  EXPECT_EQ(v["form-factor"], "bar");
  EXPECT_EQ(v["antenna"], "in");
  EXPECT_EQ(v["sar"], "0.5");
  EXPECT_EQ(v["t_wait"], "300");
  EXPECT_EQ(v["t_work"], "7");
  EXPECT_EQ(v["accumulator"], "Li");
  EXPECT_EQ(v["progr_mel"], "40");
  EXPECT_EQ(v["rows"], "8");
  EXPECT_EQ(v["irda"], W("<td class=\"bold\">Есть</td>"));
  EXPECT_EQ(v["display"], W("Цветной"));
  EXPECT_EQ(v["technologies"], W("EMS, MMS, WAP, GPRS, модем, E-Mail, GPS"));
  EXPECT_EQ(v["manager"], W("Органайзер, Календарь, Будильник, Калькулятор, Конвертор валют"));
  EXPECT_EQ(v["voice"],
            W("Диктофон, Громкая связь, Голосовой набор, Голосовое управление, Автоответчик"));
  EXPECT_EQ(v["price"], "300 $");
  EXPECT_EQ(v["adv_title"], "<a href=\"file://" + cat.root() + "/a.html\">A</a>");
  EXPECT_EQ(v["adv_body"], "a");
  EXPECT_EQ(v["adv_pagebanner"], "<img src=\"file://" + cat.root() + "/1.png\">");
  EXPECT_NE(v["price_list"].find(W("9000 р.")), std::string::npos);
  EXPECT_EQ(browser.shown, std::vector<std::string>{cat.Path("Templates/temp.html")});
}

TEST_F(ModelPageTest, ShortPageHandlesShortFlagsAndMissingPrice) {
  auto v = ShortPage("Sony-Ericsson", "T100");
  EXPECT_EQ(v["display"], W("Монохромный"));
  EXPECT_EQ(v["irda"], W("<td class=\"normal\">Нет</td>"));
  EXPECT_EQ(v["bluetooth"], "");  // flag 25 is past the end of "0000"
  EXPECT_EQ(v["technologies"], "");
  EXPECT_EQ(v["price"], "");
  EXPECT_EQ(v["price_list"], "");
}

TEST_F(ModelPageTest, EveryShortPageShowsTheNextAdvertisement) {
  EXPECT_EQ(ShortPage("Sony-Ericsson", "T100")["adv_body"], "a");
  auto second = ShortPage("Sony-Ericsson", "T100");
  EXPECT_EQ(second["adv_body"], "b");
  EXPECT_EQ(second["adv_pagebanner"], "<img src=\"file://" + cat.root() + "/2.png\">");
  EXPECT_EQ(ShortPage("Sony-Ericsson", "T100")["adv_body"], "a");
}

TEST_F(ModelPageTest, FullPageIsLaidOutFromTheLastIndexLine) {
  cat.WriteBytes("Templates/model_template_new.html",
                 "<h1><!model!></h1><!forum!>\r\n<!image!>\r\nL <!table1!> R\r\n<!table2!>\r\n"
                 "<!adv_title!><!adv_body!>\r\n<!adv_title!><!adv_body!><!adv_pagebanner!>\r\n<!"
                 "price_list!>\r\n");
  cat.WriteBytes("pics/se/k770.png", "png");
  // A line is found by its brand and model fields: the last one holds the brand and model
  // further on, as its model and first entry.
  index = {"Sony-Ericsson|K770i|51(0)|",
           "Sony-Ericsson|K770i|51(2)|5(1)|53(35)|26(5)|26(16)|\\se\\k770.png",
           "Other|Sony-Ericsson|K770i|51(1)|"};
  ASSERT_TRUE(ShowModelPage(context, "Sony-Ericsson", "K770i *"));
  common::StringList lines = common::SplitLinesAtCr(cat.ReadBytes("Templates/temp.html"));
  const std::string spacer = "<tr><td colspan=\"3\"><img src=\"./px.gif\" height=\"5\"></td></tr>";
  auto row = [&](const char* label, const char* value) {
    return W(std::string("<tr><td width=\"50%\" class=\"normal\">") + label +
             "</td><td><img src=\"./px.gif\" width=\"10\"></td><td width=\"50%\" "
             "class=\"normal\">" +
             value + "</td>") +
           spacer;
  };
  auto title = [&](const char* text) {
    return W(std::string("<tr><td colspan=\"3\" class=\"title\">") + text + "</td></tr>");
  };
  const std::string table =
      "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">";
  common::StringList expected = {
      "<h1>Sony-Ericsson K770i</h1><a target=\"_blank\" href=\"" + std::string(kForumAddress) +
          "\" class=\"pricelstShop\">" + W("Форум по ") + "Sony-Ericsson</a>",
      "<img src=\"file://" + cat.root() + "/pics/se/k770.png\" alt=\"K770i\" class=\"normal\">",
      table,
      title("Общая информация"),
      spacer,
      row("Тип корпуса", "раскладушка"),
      row("Антенна", "встроенная"),
      spacer,
      title("Дисплей"),
      spacer,
      row("Тип экрана", "цветной экран, 65536 цветов"),
      spacer,
      "</table>",
      table,
      title("Технологии связи"),
      spacer,
      row("Интерфейсы", "IRDA"),
      spacer,
      "</table>",
      "<a href=\"file://" + cat.root() + "/a.html\">A</a>a",
      "<a href=\"file://" + cat.root() + "/b.html\">B</a>b<img src=\"file://" + cat.root() +
          "/1.png\">",
  };
  ASSERT_GE(lines.size(), expected.size() + 1);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
  EXPECT_NE(lines[expected.size()].find(W("7000 р.")), std::string::npos);
  EXPECT_EQ(adv.text_position, 0u);  // advanced twice over two items
  EXPECT_EQ(adv.banner_position, 1u);
}

TEST_F(ModelPageTest, FullPageWithoutIndexLineShowsTheFirstSectionFrame) {
  cat.WriteBytes("Templates/model_template_new.html", "<!table1!>\r\n<!table2!>\r\n<!image!>\r\n");
  ASSERT_TRUE(ShowModelPage(context, "Nokia", "N80 *"));
  common::StringList lines = common::SplitLinesAtCr(cat.ReadBytes("Templates/temp.html"));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1], W("<tr><td colspan=\"3\" class=\"title\">Общая информация</td></tr>"));
  EXPECT_EQ(lines[4], "</table>");
  EXPECT_EQ(lines[6], "</table>");
  EXPECT_EQ(lines[7], "<img src=\"file://" + cat.root() +
                          "/pics/noimage.jpg\" alt=\"N80\" class=\"normal\">");
}

// A page that shows the shops' offers and the price range reads the price lists once for both,
// and shows the range the models list finds; figures found with the list are taken as they are.
TEST_F(ModelPageTest, PriceRangeComesWithTheOffers) {
  cat.WriteText("adv/prices/b.prc",
                "Shop B\nb.html\nSonyericsson K750i^8000\n"
                "sonyericsson k750i^8000\nSony-Ericsson K770i^5000\n"
                "Sonyericsson K770i^4000\nSONYERICSSON K770I^4500\n");
  cat.WriteBytes("Templates/model_template.html", "<!price_range!>|<!price_list!>\r\n");
  cat.WriteBytes("Templates/model_template_new.html", "<!price_range!>|<!price_list!>\r\n");
  index = {"Sony-Ericsson|K770i|51(0)|"};
  const ModelPriceFigures given{"1", {10, 20, 2}};
  struct Case {
    const char* model;
    const ModelPriceFigures* figures;
    std::string range;  // UTF-8
  };
  const Case cases[] = {
      {"K750i", nullptr, PriceRangeText(PriceFiguresOf(folders, "Sony-Ericsson", "K750i").range)},
      {"K770i *", nullptr,
       PriceRangeText(PriceFiguresOf(folders, "Sony-Ericsson", "K770i *").range)},
      {"K750i", &given, PriceRangeText(given.range)},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(ShowModelPage(context, "Sony-Ericsson", c.model, c.figures));
    const std::string page = cat.ReadBytes("Templates/temp.html");
    EXPECT_FALSE(c.range.empty()) << c.model;
    EXPECT_EQ(page.substr(0, page.find('|')), c.range) << c.model;
    EXPECT_TRUE(common::Contains(page, "Shop B")) << c.model << ": the offers shown as well";
  }
}

TEST(FirstColumnSections, SplitsHalfToEven) {
  const std::size_t expected[] = {0, 1, 1, 2, 3, 3, 3, 4, 5, 5, 5, 6};
  for (std::size_t n = 1; n < 12; ++n) EXPECT_EQ(FirstColumnSections(n), expected[n]) << n;
}

}  // namespace
}  // namespace trubkom::catalogue
