#include "app/start_questions.h"

#include <QMessageBox>
#include <QPushButton>

#include "app/text.h"

namespace trubkom::app {

namespace {

// As the window's other message boxes.
QString Title() { return QString::fromUtf8("Трубком"); }

}  // namespace

StartQuestions::NoCatalogueAnswer QtStartQuestions::AskNoCatalogue(const std::string& text) {
  QMessageBox box(QMessageBox::Information, Title(), ToQt(text));
  box.setTextFormat(Qt::PlainText);  // a folder's name, shown as it stands
  QPushButton* demo =
      box.addButton(QString::fromUtf8("Открыть демонстрационный каталог"), QMessageBox::AcceptRole);
  QPushButton* choose =
      box.addButton(QString::fromUtf8("Выбрать папку каталога..."), QMessageBox::ActionRole);
  box.addButton(QString::fromUtf8("Выход"), QMessageBox::RejectRole);
  box.setDefaultButton(demo);
  box.exec();
  if (box.clickedButton() == demo) return NoCatalogueAnswer::kOpenDemo;
  if (box.clickedButton() == choose) return NoCatalogueAnswer::kChooseFolder;
  return NoCatalogueAnswer::kQuit;
}

bool QtStartQuestions::AskToCopy(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, Title(), ToQt(text));
  box.setTextFormat(Qt::PlainText);  // a folder's name, shown as it stands
  QPushButton* copy = box.addButton(QString::fromUtf8("Да"), QMessageBox::AcceptRole);
  box.addButton(QString::fromUtf8("Нет, работать без записи"), QMessageBox::RejectRole);
  box.setDefaultButton(copy);
  box.exec();
  return box.clickedButton() == copy;
}

}  // namespace trubkom::app
