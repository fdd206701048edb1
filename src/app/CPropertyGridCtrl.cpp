#include "app/CPropertyGridCtrl.h"

#include <utility>

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QValidator>
#include <QVBoxLayout>

#include "app/AppMessages.h"
#include "app/CPropertyItem.h"
#include "core/model/ConfigItem.h"
#include "core/text/TextFormat.h"

namespace korvane {

namespace {

// Typing is filtered: a text with a character outside the row's set is refused.
class ValidCharsValidator : public QValidator {
 public:
  ValidCharsValidator(const std::string& chars, QObject* parent)
      : QValidator(parent), chars_(QString::fromStdString(chars)) {}
  State validate(QString& input, int&) const override {
    for (QChar c : input)
      if (!chars_.contains(c)) return Invalid;
    return Acceptable;
  }

 private:
  QString chars_;
};

// The header is one row height and two pixels high, whatever the style says.
class GridHeader : public QHeaderView {
 public:
  GridHeader(CPropertyGridCtrl& grid, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), grid_(grid) {}
  QSize sizeHint() const override {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(grid_.HeaderHeight());
    return size;
  }

 private:
  CPropertyGridCtrl& grid_;
};

// The range the end of editing holds the row to, written as the row shows
// its values (hexadecimal rows by their size); empty without a range.
std::string RangeText(const GridRow& row) {
  if (row.rangeMin == row.rangeMax) return {};
  const ConfigItem* item = row.Item();
  if (item && item->hex) {
    const char* format = item->size == 1 ? "0x%02llX ~ 0x%02llX" : item->size == 2 ? "0x%04llX ~ 0x%04llX" : "0x%08llX ~ 0x%08llX";
    return StrFormat(format, static_cast<unsigned long long>(row.rangeMin), static_cast<unsigned long long>(row.rangeMax));
  }
  return StrFormat("%lld ~ %lld", static_cast<long long>(row.rangeMin), static_cast<long long>(row.rangeMax));
}

CPropertyItem* ViewItemOf(QTreeWidgetItem* item) {
  return item && item->type() == CPropertyItem::kType ? static_cast<CPropertyItem*>(item) : nullptr;
}

// Opens the editor a row asks for and hands what the user committed to the
// grid; the model itself is changed only once the editor has gone.
class GridDelegate : public QStyledItemDelegate {
 public:
  GridDelegate(CPropertyGridCtrl& grid, QTreeWidget& tree) : QStyledItemDelegate(&tree), grid_(grid), tree_(tree) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    CPropertyItem* view = ViewItem(index);
    if (index.column() != CPropertyItem::kValue || !view || !view->IsEditable()) return nullptr;
    const GridRow& row = *view->Row();
    QWidget* editor = nullptr;
    if (!row.allowTyping) {
      // Options only: a drop-down list without an edit field.
      auto* combo = new QComboBox(parent);
      combo->setEditable(false);
      for (const std::string& option : row.options) combo->addItem(QString::fromStdString(option));
      auto* self = const_cast<GridDelegate*>(this);
      connect(combo, &QComboBox::activated, self, [self, combo] {
        emit self->commitData(combo);
        emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
      });
      editor = combo;
    } else {
      auto* line = new QLineEdit(parent);
      line->setFrame(false);
      line->setMaxLength(row.EffectiveMaxLength());
      if (!row.validChars.empty()) line->setValidator(new ValidCharsValidator(row.validChars, line));
      editor = line;
    }
    grid_.EditorOpened(editor);
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    CPropertyItem* view = ViewItem(index);
    const GridRow* row = view ? view->Row() : nullptr;
    if (!row) return;
    const QString value = QString::fromStdString(row->Value());
    if (auto* combo = qobject_cast<QComboBox*>(editor)) combo->setCurrentIndex(combo->findText(value));
    else if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setText(value);
  }

  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    CPropertyItem* view = ViewItem(index);
    const GridRow* row = view ? view->Row() : nullptr;
    if (!row) return;
    QString text;
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      if (combo->currentIndex() < 0) return;
      text = combo->currentText();
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      text = line->text();
    }
    const std::string value = text.toStdString();
    grid_.EditorCommitted(view->Item(), value, value != row->Value());
  }

  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    grid_.EditorClosed(editor);
    QStyledItemDelegate::destroyEditor(editor, index);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(grid_.RowHeight());
    return size;
  }

 private:
  CPropertyItem* ViewItem(const QModelIndex& index) const { return ViewItemOf(tree_.itemFromIndex(index)); }

  CPropertyGridCtrl& grid_;
  QTreeWidget& tree_;
};

}  // namespace

CPropertyGridCtrl::CPropertyGridCtrl(QWidget* parent, GridModel& model, WarningSink warn, const QString& paramTitle,
                                     const QString& valueTitle)
    : QWidget(parent), model_(model), warn_(std::move(warn)) {
  model_.SetHost(this);
  setProperty("nativeId", IDC_PROPERTY_GRID);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->setChildrenCollapsible(false);
  layout->addWidget(splitter);

  tree_ = new QTreeWidget(splitter);
  tree_->setObjectName("propertygrid.rows");
  tree_->setHeader(new GridHeader(*this, tree_));
  tree_->setColumnCount(2);
  tree_->setHeaderLabels({paramTitle, valueTitle});
  tree_->header()->setSectionsMovable(false);
  tree_->header()->setStretchLastSection(true);
  tree_->setColumnWidth(0, 220);
  tree_->setSortingEnabled(false);  // rows keep the order of the description
  tree_->setRootIsDecorated(true);
  tree_->setUniformRowHeights(true);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);  // editing starts as below
  tree_->setAllColumnsShowFocus(true);
  tree_->setItemDelegate(new GridDelegate(*this, *tree_));
  tree_->installEventFilter(this);
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentChanged(current); });
  // A click on a value opens its editor, as in any property sheet.
  connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
    CPropertyItem* view = ViewItemOf(item);
    if (column != CPropertyItem::kValue || !view) return;
    if (auto* combo = qobject_cast<QComboBox*>(StartEditing(view->Item()))) combo->showPopup();
  });

  auto* pane = new QFrame(splitter);
  pane->setObjectName("propertygrid.description");
  pane->setFrameShape(QFrame::StyledPanel);
  auto* paneLayout = new QVBoxLayout(pane);
  paneLayout->setContentsMargins(6, 4, 6, 4);
  paneLayout->setSpacing(2);
  descCaption_ = new QLabel(pane);
  QFont bold = descCaption_->font();
  bold.setBold(true);
  descCaption_->setFont(bold);
  descCaption_->setTextFormat(Qt::PlainText);
  auto plain = [pane] {
    auto* label = new QLabel(pane);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
  };
  // The name first (it is what the command line and the project file use),
  // then the device's value of a differing row, then the description.
  descDetails_ = plain();
  descText_ = plain();
  descDevice_ = plain();
  // The failure colour of the log, as the row itself is marked.
  descDevice_->setStyleSheet("QLabel { color: #FF0000; }");
  paneLayout->addWidget(descCaption_);
  paneLayout->addWidget(descDetails_);
  paneLayout->addWidget(descDevice_);
  paneLayout->addWidget(descText_, 1);
  splitter->addWidget(tree_);
  splitter->addWidget(pane);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 0);
  pane->setMinimumHeight(RowHeight() * 4);
  splitter->setSizes({400, RowHeight() * 6 + 8});
}

CPropertyGridCtrl::~CPropertyGridCtrl() {
  // The model stays (the session's); from now on it shows its rows nowhere.
  if (model_.Host() == this) model_.SetHost(nullptr);
  // The rows' view goes first, while this object can still answer it.
  disconnect(tree_, nullptr, this, nullptr);
  tree_->removeEventFilter(this);
  pending_ = {};
  delete tree_;
  tree_ = nullptr;
  editor_ = nullptr;
}

int CPropertyGridCtrl::RowHeight() const {
  return QFontMetrics(tree_ ? tree_->font() : font()).height() + 6;
}

void CPropertyGridCtrl::ClearGrid() {
  pending_ = {};
  if (tree_) tree_->clear();  // closes an open editor without committing it
  viewItems_.clear();
  collapsed_.clear();
  model_.Clear();
  ShowDescription(nullptr);
}

void CPropertyGridCtrl::FinishEditing() {
  if (QWidget* editor = editor_) {
    auto* delegate = tree_->itemDelegate();
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
  ApplyPendingCommit();
}

void CPropertyGridCtrl::ExpandAll() {
  collapsed_.clear();
  tree_->expandAll();
}

CPropertyItem* CPropertyGridCtrl::ViewItemFor(const ConfigItem* item) const {
  auto it = viewItems_.find(item);
  return it == viewItems_.end() ? nullptr : it->second;
}

CPropertyItem* CPropertyGridCtrl::CurrentViewItem() const { return tree_ ? ViewItemOf(tree_->currentItem()) : nullptr; }

QWidget* CPropertyGridCtrl::StartEditing(const ConfigItem* item) {
  CPropertyItem* view = ViewItemFor(item);
  if (!view || !view->IsEditable()) return nullptr;
  if (editor_) FinishEditing();
  view = ViewItemFor(item);  // the commit may have rebuilt the rows
  if (!view || !view->IsEditable()) return nullptr;
  tree_->setCurrentItem(view, CPropertyItem::kValue);
  tree_->editItem(view, CPropertyItem::kValue);
  return editor_;
}

QString CPropertyGridCtrl::DescriptionCaption() const { return descCaption_->text(); }
QString CPropertyGridCtrl::DescriptionText() const { return descText_->text(); }
QString CPropertyGridCtrl::DescriptionDetails() const { return descDetails_->text(); }
QString CPropertyGridCtrl::DescriptionDeviceValue() const { return descDevice_->text(); }

void CPropertyGridCtrl::SetDetailTexts(DetailTexts texts) {
  details_ = std::move(texts);
  ShowDescription(CurrentViewItem());
}

std::vector<std::string> CPropertyGridCtrl::DetailLines(const GridRow& row) const {
  std::vector<std::string> lines;
  const ConfigItem* item = row.Item();
  if (!item || row.IsGroup()) return lines;
  auto add = [&](const std::string& format, const std::string& value) {
    if (!format.empty() && !value.empty()) lines.push_back(FormatText(format, value));
  };
  add(details_.name, item->name);
  add(details_.range, RangeText(row));
  if (const std::string* value = defaults_ ? defaults_(*item) : nullptr) add(details_.defaultValue, *value);
  return lines;
}

std::string CPropertyGridCtrl::DeviceValueLine(const ConfigItem* item) const {
  if (!differing_ || details_.deviceValue.empty()) return {};
  auto it = differing_->find(item);
  return it == differing_->end() ? std::string() : FormatText(details_.deviceValue, it->second);
}

void CPropertyGridCtrl::PostWarning(const std::string& text) {
  if (warn_) warn_(text);
}

void CPropertyGridCtrl::Relayout() {
  // One pixel narrower and lower and back: views that size themselves by
  // their window see the change, position and stacking stay.
  const QSize size = this->size();
  resize(size.width() - 1, size.height() - 1);
  resize(size);
}

void CPropertyGridCtrl::RowsChanged() { Rebuild(); }

void CPropertyGridCtrl::SetDifferingItems(const DifferingValues* items) {
  differing_ = items;
  Rebuild();
}

void CPropertyGridCtrl::EditorClosed(QWidget* editor) {
  if (editor_ == editor) editor_ = nullptr;
  // The view is still busy with the editor: commit once it is done.
  QMetaObject::invokeMethod(this, [this] { ApplyPendingCommit(); }, Qt::QueuedConnection);
}

void CPropertyGridCtrl::EditorCommitted(ConfigItem* item, const std::string& text, bool changed) {
  pending_ = PendingCommit{item, text, changed};
}

void CPropertyGridCtrl::ApplyPendingCommit() {
  const PendingCommit commit = std::exchange(pending_, PendingCommit{});
  if (!commit.item || !commit.item->gridRow) return;
  GridRow& row = *commit.item->gridRow;
  // Tab may already have opened the next row's editor; the rows the commit
  // rebuilds take it away, so it opens again on the same item.
  const CPropertyItem* next = editor_ ? CurrentViewItem() : nullptr;
  const ConfigItem* nextItem = next ? next->Item() : nullptr;
  // An unchanged text commits nothing, but the end of editing still checks the range.
  if (commit.changed) model_.CommitValue(row, commit.text);
  else model_.EndEdit(row);
  if (committed_) committed_();
  if (nextItem && !editor_) StartEditing(nextItem);
}

void CPropertyGridCtrl::Rebuild() {
  if (!tree_) return;
  rebuilding_ = true;
  const CPropertyItem* current = CurrentViewItem();
  const ConfigItem* currentItem = current ? current->Item() : nullptr;
  const int scroll = tree_->verticalScrollBar()->value();
  for (const auto& [item, view] : viewItems_) {
    if (!view->IsGroup()) continue;
    if (view->isExpanded()) collapsed_.erase(item);
    else collapsed_.insert(item);
  }
  tree_->setUpdatesEnabled(false);
  tree_->clear();
  viewItems_.clear();
  AddViewRows(model_.Rows(), nullptr);
  for (const auto& [item, view] : viewItems_)
    if (view->IsGroup()) view->setExpanded(!collapsed_.count(item));
  if (CPropertyItem* again = ViewItemFor(currentItem)) tree_->setCurrentItem(again);
  tree_->setUpdatesEnabled(true);
  tree_->doItemsLayout();  // the scroll range of the new rows, before the old position goes back
  tree_->verticalScrollBar()->setValue(scroll);
  rebuilding_ = false;
  ShowDescription(CurrentViewItem());
}

void CPropertyGridCtrl::AddViewRows(const std::vector<std::unique_ptr<GridRow>>& rows, QTreeWidgetItem* parent) {
  for (const auto& row : rows) {
    auto* view = new CPropertyItem(*row);
    if (const std::string line = DeviceValueLine(row->Item()); !line.empty()) view->ShowDiffering(line);
    if (parent) parent->addChild(view);
    else tree_->addTopLevelItem(view);
    viewItems_[row->Item()] = view;
    if (row->IsGroup()) {
      view->setFirstColumnSpanned(true);
      AddViewRows(row->SubRows(), view);
    }
  }
}

void CPropertyGridCtrl::OnCurrentChanged(QTreeWidgetItem* current) {
  if (rebuilding_) return;
  CPropertyItem* view = ViewItemOf(current);
  if (GridRow* row = view ? view->Row() : nullptr) model_.OnChangeSelection(row);
  ShowDescription(view);
}

void CPropertyGridCtrl::ShowDescription(CPropertyItem* view) {
  const GridRow* row = view ? view->Row() : nullptr;
  descCaption_->setText(row ? QString::fromStdString(row->caption) : QString());
  descText_->setText(row ? QString::fromStdString(row->description) : QString());
  QStringList details;
  if (row)
    for (const std::string& line : DetailLines(*row)) details << QString::fromStdString(line);
  // One line while it fits: the pane is short.
  descDetails_->setText(details.join("    "));
  descDetails_->setVisible(!details.isEmpty());
  const QString device = row ? QString::fromStdString(DeviceValueLine(row->Item())) : QString();
  descDevice_->setText(device);
  descDevice_->setVisible(!device.isEmpty());
}

bool CPropertyGridCtrl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_ && event->type() == QEvent::KeyPress && !editor_) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2) {
      if (CPropertyItem* view = CurrentViewItem(); view && view->IsEditable()) {
        StartEditing(view->Item());
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void CPropertyGridCtrl::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) UpdateRowMetrics();
}

void CPropertyGridCtrl::UpdateRowMetrics() {
  if (!tree_) return;
  tree_->header()->updateGeometry();
  tree_->doItemsLayout();
}

}  // namespace korvane
