#include "app/hint_bar.h"

#include "app/panel_parts.h"
#include "app/widgets.h"

namespace trubkom::app {

HintBar::HintBar(QWidget* parent) : QLabel(parent) {
  setObjectName(U("hintBar"));
  Describe(this, U("Подсказка"), U("Что делает элемент под указателем мыши"));
  setAlignment(Qt::AlignCenter);
  setTextFormat(Qt::PlainText);  // a link's address from a page, shown as it stands
  QFont tahoma(U("Tahoma"));
  tahoma.setPixelSize(11);
  setFont(tahoma);
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, colours::kPaleBlue);
  setPalette(palette);
  FillBackground(this, colours::kDarkBlue);
}

void HintBar::ShowHint(const QString& hint) {
  if (!notice_.isEmpty()) {
    if (hint == hint_under_notice_) return;
    notice_.clear();
  }
  if (text() != hint) setText(hint);
}

void HintBar::ShowNotice(const QString& notice) {
  if (notice_.isEmpty()) hint_under_notice_ = text();
  notice_ = notice;
  setText(notice_);
}

void HintBar::Follow(PictureButton* button) {
  connect(button, &PictureButton::hintMoved, this, &HintBar::ShowHint);
  connect(button, &PictureButton::hintLeft, this, [this] { ShowHint({}); });
}

QWidget* HintBar::Title(const char* text, const char* hint, int height) {
  auto* title = new FrameTitle(U(text), U(hint), height);
  title->setObjectName(U("title"));
  Describe(title, {}, U(hint));
  connect(title, &FrameTitle::hintEntered, this, &HintBar::ShowHint);
  connect(title, &FrameTitle::hintLeft, this, [this] { ShowHint({}); });
  return title;
}

}  // namespace trubkom::app
