#pragma once
// The component behind IHexEditor: a CHexView fed from block 0 of a
// CMemoryAccess. The data source holds the bytes; the view shows a copy that
// is taken again whenever a load ends or the view is refreshed, and edits go
// back to the source.
#include <utility>
#include <vector>

#include "hexeditor/CHexView.h"
#include "hexeditor/IHexEditor.h"

namespace korvane {

class CHexEditor final : public IHexEditor {
 public:
  explicit CHexEditor(QWidget* parent);

  QWidget* EditorWindow() override { return view_; }
  void SetOptionA(int value) override { optionA_ = value; }
  void SetDataSource(CMemoryAccess* source) override;
  void SetOptionB(int value) override { optionB_ = value; }
  void GetRange(int32_t* first, int32_t* last) override;
  void ResetView(int a, int b, int c) override;
  void BeginLoad(int value) override;
  void EndLoad(int value) override;
  void SetBytesPerLine(int count) override { view_->SetBytesPerLine(count); }
  uint32_t ReadBytes(uint32_t offset, uint8_t* buffer, uint32_t count) override;
  uint32_t WriteBytes(uint32_t offset, const uint8_t* data, uint32_t count) override;
  void RefreshView() override;
  void SetBaseAddress(uint32_t address) override { view_->SetBaseAddress(address); }

  CHexView* View() const { return view_; }

 private:
  void TakeFromSource();
  void ApplyToView(uint32_t offset, const uint8_t* data, uint32_t count);

  CHexView* view_;
  CMemoryAccess* source_ = nullptr;
  int optionA_ = 0;
  int optionB_ = 0;
  int loading_ = 0;
  // Bytes loaded between BeginLoad and EndLoad, laid over the source's copy
  // at the end (the source refuses offsets beyond its window).
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> pending_;
};

}  // namespace korvane
