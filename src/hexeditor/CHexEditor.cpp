#include "hexeditor/CHexEditor.h"

#include <algorithm>
#include <cstring>

#include "core/model/CMemoryAccess.h"

namespace korvane {

CHexEditor::CHexEditor(QWidget* parent) : view_(new CHexView(parent)) {
  view_->setObjectName("hexeditor.view");
  // The program never releases an editor; it goes with its window.
  QObject::connect(view_, &QObject::destroyed, [this] { delete this; });
  // An edit is kept only where the data source takes it, so the view never
  // shows bytes that a later write or export would not use.
  view_->SetByteWriter([this](uint32_t offset, uint8_t value) {
    return source_ && source_->Write(0, offset, &value, 1) == 1;
  });
}

void CHexEditor::SetDataSource(CMemoryAccess* source) {
  source_ = source;
  TakeFromSource();
}

// Only the source's virtual operations are used: the component shares no
// code with the program beyond the header.
void CHexEditor::TakeFromSource() {
  std::vector<uint8_t> bytes;
  int32_t first = 0, last = -1;
  if (source_ && source_->GetRange(&first, &last) && last >= first) {
    bytes.resize(static_cast<size_t>(last - first) + 1);
    const uint32_t got = source_->Read(0, 0, bytes.data(), static_cast<uint32_t>(bytes.size()));
    bytes.resize(got);
  }
  view_->SetData(std::move(bytes));
}

void CHexEditor::GetRange(int32_t* first, int32_t* last) {
  if (first) *first = 0;
  if (last) *last = static_cast<int32_t>(view_->Data().size()) - 1;
}

void CHexEditor::ResetView(int, int, int) {
  TakeFromSource();
  view_->MoveCursor(0);
  view_->ScrollToTop();
}

void CHexEditor::BeginLoad(int) {
  ++loading_;
  view_->SetFrozen(true);
}

void CHexEditor::EndLoad(int) {
  if (loading_ > 0) --loading_;
  if (loading_) return;
  TakeFromSource();
  for (const auto& [offset, bytes] : pending_) ApplyToView(offset, bytes.data(), static_cast<uint32_t>(bytes.size()));
  pending_.clear();
  view_->SetFrozen(false);
}

void CHexEditor::RefreshView() {
  TakeFromSource();
  view_->viewport()->update();
}

uint32_t CHexEditor::ReadBytes(uint32_t offset, uint8_t* buffer, uint32_t count) {
  const auto& data = view_->Data();
  if (!buffer || offset >= data.size()) return 0;
  const uint32_t n = std::min<uint32_t>(count, static_cast<uint32_t>(data.size()) - offset);
  std::memcpy(buffer, data.data() + offset, n);
  return n;
}

void CHexEditor::ApplyToView(uint32_t offset, const uint8_t* data, uint32_t count) {
  auto& shown = view_->MutableData();
  if (offset >= shown.size()) return;
  const uint32_t n = std::min<uint32_t>(count, static_cast<uint32_t>(shown.size()) - offset);
  std::memcpy(shown.data() + offset, data, n);
  view_->viewport()->update();
}

uint32_t CHexEditor::WriteBytes(uint32_t offset, const uint8_t* data, uint32_t count) {
  if (!data) return 0;
  if (source_) source_->Write(0, offset, data, count);
  if (loading_) pending_.emplace_back(offset, std::vector<uint8_t>(data, data + count));
  else ApplyToView(offset, data, count);
  return count;
}

}  // namespace korvane

extern "C" __attribute__((visibility("default"))) korvane::IHexEditor* CreateHexEditor(QWidget* parent) {
  return new korvane::CHexEditor(parent);
}
