#include "ui/qt/about_box.h"

#include <qdrawutil.h>

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QString>
#include <utility>

#include "platform/qt/tarnel_font.h"
#include "ui/logic/tarnel_version.h"
#include "ui/logic/window_texts.h"
#include "ui/qt/tarnel_application.h"
#include "ui/qt/widget_helpers.h"

namespace tarnel {

namespace {

namespace text = about_box_text;

constexpr int kClientWidth = 298;
constexpr int kClientHeight = 154;
constexpr int kIconSize = 32;

// A panel with two bevels: lowered outside, raised inside.
class DoubleBevelPanel : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), /*sunken=*/true, 1);
    qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(),
                    /*sunken=*/false, 1);
  }
};

// Keeps the label's place and fits its size to its text.
void FitToText(QLabel* label) { label->resize(label->sizeHint()); }

}  // namespace

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(Text(text::kTitle));
  // A dialog frame: a close button, nothing to minimise or maximise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(TarnelFont());
  setWindowIcon(TarnelIcon());
  // Closing the main window ends the program even while this box is open.
  setAttribute(Qt::WA_QuitOnClose, false);

  Panel1 = Create<DoubleBevelPanel>(this, "Panel1");
  Panel1->setGeometry(8, 0, 281, 113);

  ProgramIcon = Create<QLabel>(Panel1, "ProgramIcon");
  ProgramIcon->setGeometry(16, 16, 33, 33);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(TarnelIcon().pixmap(kIconSize, kIconSize));

  ProductName = Create<QLabel>(Panel1, "ProductName", Text(text::kProductName));
  ProductName->setGeometry(88, 16, 72, 12);
  ProductName->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  FitToText(ProductName);

  Version = Create<QLabel>(Panel1, "Version", Text(text::kVersionLabel));
  Version->setGeometry(88, 40, 39, 12);
  Version->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  FitToText(Version);

  Copyright = Create<QLabel>(Panel1, "Copyright", Text(text::kCopyright));
  Copyright->setGeometry(8, 64, 265, 12);
  Copyright->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

  Comments = Create<QLabel>(Panel1, "Comments", Text(text::kComments));
  Comments->setGeometry(8, 88, 265, 12);
  Comments->setAlignment(Qt::AlignCenter);
  Comments->setWordWrap(true);

  OKButton = Create<QPushButton>(this, "OKButton", Text(text::kOkCaption));
  OKButton->setGeometry(111, 124, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

  setTabOrder(Panel1, OKButton);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::OKButtonClick() { close(); }

void TAboutBox::SetVersionText(const QString& text) {
  Version->setText(text);
  FitToText(Version);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TAboutBox::showEvent(QShowEvent* event) {
  FitToText(ProductName);
  FitToText(Version);
  QDialog::showEvent(event);
}

}  // namespace tarnel
