#pragma once
// The hex editor component as the program sees it. The library exports
// CreateHexEditor; the operations keep the order of the component's table,
// and the program never deletes the object it gets.
#include <cstdint>

class QWidget;

namespace korvane {

class CMemoryAccess;

class IHexEditor {
 public:
  // The editor's window, to be hosted inside the main window.
  virtual QWidget* EditorWindow() = 0;
  virtual void SetOptionA(int value) = 0;
  // The bytes to show: block 0 of the data source.
  virtual void SetDataSource(CMemoryAccess* source) = 0;
  virtual void SetOptionB(int value) = 0;
  // The range of the shown data; last = -1 when there is none.
  virtual void GetRange(int32_t* first, int32_t* last) = 0;
  virtual void ResetView(int a, int b, int c) = 0;
  virtual void BeginLoad(int value) = 0;
  virtual void EndLoad(int value) = 0;
  virtual void SetBytesPerLine(int count) = 0;
  // Copies count bytes from offset of the shown data; returns how many.
  virtual uint32_t ReadBytes(uint32_t offset, uint8_t* buffer, uint32_t count) = 0;
  // Loads count bytes at offset.
  virtual uint32_t WriteBytes(uint32_t offset, const uint8_t* data, uint32_t count) = 0;
  virtual void RefreshView() = 0;
  // The device address shown for offset 0.
  virtual void SetBaseAddress(uint32_t address) = 0;

 protected:
  ~IHexEditor() = default;
};

// The export the program looks for in the library.
using CreateHexEditorFn = IHexEditor* (*)(QWidget* parent);
constexpr const char* kCreateHexEditorExport = "CreateHexEditor";

}  // namespace korvane
