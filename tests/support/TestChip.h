#pragma once
// An installation of its own for a test: a temporary folder laid out as the
// installed data is, with a small invented chip, its code file and a
// catalogue, and a context that records its message boxes.
#include <string>

#include "core/model/ChipDescription.h"
#include "core/model/CoreContext.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestLanguage.h"

namespace korvane::test {

// A small chip laid out the way the installed data is.
inline const char* kTestChipXml = R"(<?xml version="1.0"?>
<config name="TCHIP" caption="Test chip" descript="chip for tests" support="PB1, ADP2;HUB3">
	<PB1 chipType="0x1234" funcType="0x21" fill="0xFF" codeStart="0" codeEnd="0x7FFF" confStart="0xEC00" confEnd="0xEDFF" optionStart="0x10000" optionEnd="0x100FF" defaultValues="20(4:7)=A,21=5A">
		<item name="general" caption="General" addr="0xEC00" size="1">
			<item name="volt" caption="Voltage" edit="1" value="5" addr="0xEC00" size="1"/>
			<item name="amps" caption="Current" edit="1" addr="0xEC02" size="2"/>
		</item>
	</PB1>
	<ADP2 chipType="0x1234" funcType="0x22" fill="0x00" confStart="0xEC00" confEnd="0xEDFF" optionStart="0x10000" optionEnd="0x100FF">
		<item name="top" caption="Top" addr="0xEC00" size="1">
			<item name="level" edit="1" value="9" addr="0xEC10" size="1"/>
		</item>
	</ADP2>
</config>
)";

// 32 bytes of code at 0, two option words at 0x10000.
inline const char* kTestChipHex =
    ":1000000000112233445566778899AABBCCDDEEFFF8\r\n"
    ":10001000FFEEDDCCBBAA99887766554433221100E8\r\n"
    ":020000040001F9\r\n"
    ":080000005A3C0000010200005F\r\n"
    ":00000001FF\r\n";

inline void InstallTestChip(const std::string& baseDir) {
  WriteText(baseDir + "/xml/orvik/chips/TCHIP.xml", kTestChipXml);
  WriteText(baseDir + "/xml/orvik/chips/TCHIP.hex", kTestChipHex);
  WriteText(baseDir + "/xml/orvik/device.xml", R"(<?xml version="1.0"?>
<config name="catalogue" caption="Devices" descript="all devices">
	<device name="bank" caption="Power Bank" descript="banks">
		<item name="PB1" caption="Bank one" descript="first bank"/>
	</device>
	<device name="adapter" caption="Adapter">
		<item name="ADP2" caption="Adapter two"/>
		<item name="ADP3" caption="Adapter three"/>
	</device>
	<device name="hub" caption="Hub">
		<item name="HUB3" caption="Hub three"/>
	</device>
</config>
)");
}

// A temporary installation with the test chip, a context that records its
// message boxes, and a description to load into.
struct Installation {
  TempDir dir;
  CoreContext ctx;
  RecordingMessageBox box;
  ChipDescription desc{ctx};
  Installation() {
    InstallTestChip(dir.Path());
    ctx.baseDir = dir.Path() + "/";
    ctx.messageBox = &box;
    ctx.language.LoadFromXml(kFileTestLanguage);
  }
  std::string Chips() const { return dir.Path() + "/xml/orvik/chips/"; }
};

}  // namespace korvane::test
