#pragma once
// Small language tables of the tests, in English, with texts short enough to
// spell out in an expectation. Each holds the keys its tests look up and no
// more: a key that is not there reads as the empty text, which some tests
// rely on.
#include "core/text/LanguageTable.h"

namespace korvane::test {

// The texts of the file, project and catalogue messages.
inline const char* kFileTestLanguage = R"(<language name="en-us">
	<text key="MessageBoxTitle">Korvane</text>
	<text key="ReadFileError">Cannot read %s</text>
	<text key="WriteFileError">Cannot write %s</text>
	<text key="DecodeFileLengthError">Too long: %s</text>
	<text key="NewNotify">Open or create a project first</text>
	<text key="CODE_WRITE_NEEDS_PROJECT">Code goes with the project's option bytes</text>
	<text key="SaveNotify">Save changes?</text>
	<text key="EXPORT_OK">Exported</text>
	<text key="CONF_CHECKSUM">Conf</text>
	<text key="CODE_CHECKSUM">Code</text>
</language>)";

// The texts of the link: results, operation names, device information, the
// comparison's verdicts and the port's messages.
inline const char* kLinkTestLanguage = R"(<language name="en-us">
  <text key="ERROR_0">Success</text>
  <text key="ERROR_3">Resynchronised</text>
  <text key="ERROR_33">Programmer error 33</text>
  <text key="ERROR_1003">No answer</text>
  <text key="ERROR_1004">Bad check byte</text>
  <text key="ERROR_1005">Cancelled</text>
  <text key="ERROR_1008">No firmware update</text>
  <text key="ERROR_1010">Chip mismatch</text>
  <text key="COMMAND_READ_TOOL_CONFIG_REQ">Read tool config</text>
  <text key="COMMAND_WRITE_TOOL_CODE_REQ">Write tool code</text>
  <text key="COMMAND_READ_CHECK_REQ">Compare checksums</text>
  <text key="COMMAND_FIREWARE_UPDATE_REQ">Firmware update</text>
  <text key="CHIP_TYPE_ID">Chip type</text>
  <text key="FUNC_TYPE_ID">Function type</text>
  <text key="ConfAreaSize">Conf size</text>
  <text key="CodeAreaSize">Code size</text>
  <text key="ConfOptionSize">Option size</text>
  <text key="SOFTWARE_VERSION">Software</text>
  <text key="HARDWARE_VERSION">Hardware</text>
  <text key="DATA_CHECKSUM">Conf checksum</text>
  <text key="PROG_CHECKSUM">Code checksum</text>
  <text key="OPTION_CHECKSUM">Option checksum</text>
  <text key="PC_CONF_CHECKSUM">PC conf</text>
  <text key="ARM_CONF_CHECKSUM">Tool conf</text>
  <text key="CONF_CHECKSUM_SUCCESS">conf same</text>
  <text key="CONF_CHECKSUM_FAIL">conf differs</text>
  <text key="PC_CODE_CHECKSUM">PC code</text>
  <text key="ARM_CODE_CHECKSUM">Tool code</text>
  <text key="CODE_CHECKSUM_SUCCESS">code same</text>
  <text key="CODE_CHECKSUM_FAIL">code differs</text>
  <text key="PC_OPTION_CHECKSUM">PC option</text>
  <text key="ARM_OPTION_CHECKSUM">Tool option</text>
  <text key="OPTION_CHECKSUM_SUCCESS">option same</text>
  <text key="OPTION_CHECKSUM_FAIL">option differs</text>
  <text key="CHECKSUM_MISMATCH">Checksums differ: %s</text>
  <text key="CHECKSUM_AREA_CONF">conf</text>
  <text key="CHECKSUM_AREA_CODE">code</text>
  <text key="CHECKSUM_AREA_OPTION">option</text>
  <text key="SELECT_PORT_NOTREADY">Port not ready</text>
  <text key="Dev-Connected">Connected %s</text>
  <text key="Dev-Disconnect">Disconnected %s</text>
  <text key="DEV_ONLINE_EVENT">Device online</text>
  <text key="DEV_OFFLINE_EVENT">Device offline</text>
</language>)";

// A table from one of the texts above.
inline LanguageTable TestLanguage(const char* xml) {
  LanguageTable table;
  table.LoadFromXml(xml);
  return table;
}

}  // namespace korvane::test
