#include "platform/qt/help_window.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <utility>

#include "platform/qt/tarnel_font.h"

namespace tarnel {

namespace {

constexpr char kDefaultTitle[] = "Help";
constexpr char kContentsPage[] = "Contents";
constexpr char kIndexPage[] = "Index";
constexpr char kSearchPrompt[] =
    "Type the first few letters of the word you are looking for:";
constexpr char kDisplay[] = "Display";
constexpr int kWidth = 680;
constexpr int kHeight = 440;

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QString TopicHtml(const HelpTopic& topic) {
  QString html = QStringLiteral("<h3>") + Utf8(topic.title).toHtmlEscaped() +
                 QStringLiteral("</h3>");
  bool in_list = false;
  for (const HelpBlock& block : topic.blocks) {
    const bool item = block.kind == HelpBlock::Kind::kItem;
    if (item != in_list) {
      html += item ? QStringLiteral("<ul>") : QStringLiteral("</ul>");
      in_list = item;
    }
    const QString text = Utf8(block.text).toHtmlEscaped();
    switch (block.kind) {
      case HelpBlock::Kind::kParagraph:
        html += QStringLiteral("<p>") + text + QStringLiteral("</p>");
        break;
      case HelpBlock::Kind::kItem:
        html += QStringLiteral("<li>") + text + QStringLiteral("</li>");
        break;
      case HelpBlock::Kind::kExample:
        html += QStringLiteral("<pre>") + text + QStringLiteral("</pre>");
        break;
    }
  }
  if (in_list) html += QStringLiteral("</ul>");
  return html;
}

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setFont(TarnelFont());
  // Help stays behind as a side window: it must not keep the program alive.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(kWidth, kHeight);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  Pages = new QTabWidget(splitter);

  ContentsList = new QListWidget(Pages);
  Pages->addTab(ContentsList, QString::fromLatin1(kContentsPage));

  auto* index_page = new QWidget(Pages);
  auto* index_layout = new QVBoxLayout(index_page);
  auto* prompt = new QLabel(QString::fromLatin1(kSearchPrompt), index_page);
  prompt->setWordWrap(true);
  SearchEdit = new QLineEdit(index_page);
  IndexList = new QListWidget(index_page);
  DisplayButton = new QPushButton(QString::fromLatin1(kDisplay), index_page);
  index_layout->addWidget(prompt);
  index_layout->addWidget(SearchEdit);
  index_layout->addWidget(IndexList);
  index_layout->addWidget(DisplayButton);
  Pages->addTab(index_page, QString::fromLatin1(kIndexPage));

  TopicView = new QTextBrowser(splitter);
  TopicView->setOpenLinks(false);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({kWidth / 3, kWidth * 2 / 3});

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);

  connect(ContentsList, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) ShowTopic(row);
  });
  connect(SearchEdit, &QLineEdit::textEdited, this, &HelpWindow::FilterIndex);
  connect(SearchEdit, &QLineEdit::returnPressed, this,
          &HelpWindow::ShowSelectedKeyword);
  connect(IndexList, &QListWidget::itemActivated, this,
          &HelpWindow::ShowSelectedKeyword);
  connect(DisplayButton, &QPushButton::clicked, this,
          &HelpWindow::ShowSelectedKeyword);
  // Wherever the focus is inside the window, as in a Windows help window.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::SetDocument(HelpDocument document) {
  document_ = std::move(document);
  setWindowTitle(document_.title.empty() ? QString::fromLatin1(kDefaultTitle)
                                         : Utf8(document_.title));
  current_topic_ = -1;
  TopicView->clear();
  ContentsList->blockSignals(true);
  ContentsList->clear();
  for (const HelpTopic& topic : document_.topics) {
    ContentsList->addItem(Utf8(topic.title));
  }
  ContentsList->blockSignals(false);
  FillIndex();
}

void HelpWindow::FillIndex() {
  index_.clear();
  std::map<QString, int> uses;
  for (int t = 0; t < static_cast<int>(document_.topics.size()); ++t) {
    for (const std::string& keyword :
         document_.topics[static_cast<std::size_t>(t)].keywords) {
      index_.push_back({Utf8(keyword), t});
      ++uses[Utf8(keyword).toCaseFolded()];
    }
  }
  std::stable_sort(index_.begin(), index_.end(),
                   [](const IndexEntry& a, const IndexEntry& b) {
                     return QString::compare(a.keyword, b.keyword,
                                             Qt::CaseInsensitive) < 0;
                   });
  IndexList->clear();
  for (const IndexEntry& entry : index_) {
    QString text = entry.keyword;
    // A keyword of several topics names the topic, too.
    if (uses[entry.keyword.toCaseFolded()] > 1) {
      text +=
          QStringLiteral(" (") +
          Utf8(document_.topics[static_cast<std::size_t>(entry.topic)].title) +
          QLatin1Char(')');
    }
    IndexList->addItem(text);
  }
}

void HelpWindow::FilterIndex(const QString& prefix) {
  for (int row = 0; row < static_cast<int>(index_.size()); ++row) {
    if (index_[static_cast<std::size_t>(row)].keyword.startsWith(
            prefix, Qt::CaseInsensitive)) {
      IndexList->setCurrentRow(row);
      IndexList->scrollToItem(IndexList->item(row),
                              QAbstractItemView::PositionAtTop);
      return;
    }
  }
}

void HelpWindow::ShowSelectedKeyword() {
  const int row = IndexList->currentRow();
  if (row < 0 || row >= static_cast<int>(index_.size())) return;
  ShowTopic(index_[static_cast<std::size_t>(row)].topic);
}

void HelpWindow::ShowContents() {
  Pages->setCurrentWidget(ContentsList);
  if (!document_.topics.empty()) {
    ContentsList->setCurrentRow(0);
    ShowTopic(0);
  }
  BringToFront();
  ContentsList->setFocus();
}

void HelpWindow::ShowIndex(const QString& keyword) {
  Pages->setCurrentIndex(1);
  SearchEdit->setText(keyword);
  if (IndexList->count() > 0) IndexList->setCurrentRow(0);
  FilterIndex(keyword);
  BringToFront();
  SearchEdit->setFocus();
}

void HelpWindow::ShowTopic(int index) {
  if (index < 0 || index >= static_cast<int>(document_.topics.size())) return;
  current_topic_ = index;
  TopicView->setHtml(
      TopicHtml(document_.topics[static_cast<std::size_t>(index)]));
  if (ContentsList->currentRow() != index) {
    ContentsList->blockSignals(true);
    ContentsList->setCurrentRow(index);
    ContentsList->blockSignals(false);
  }
}

void HelpWindow::CentreOn(const QWidget* owner) {
  if (placed_) return;
  placed_ = true;
  QRect area;
  if (owner && owner->isVisible()) {
    area = owner->window()->frameGeometry();
  } else if (const QScreen* screen =
                 owner ? owner->screen() : QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  } else {
    return;
  }
  // With its native window made, the window knows its frame's size.
  winId();
  QRect frame = frameGeometry();
  frame.moveCenter(area.center());
  move(frame.topLeft());
}

void HelpWindow::BringToFront() {
  show();
  raise();
  activateWindow();
}

}  // namespace tarnel
