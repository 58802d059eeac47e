#pragma once

#include <string>
#include <vector>

#include "removal/RemovalRun.h"

namespace quill {

class FindingList;
class ProgramContext;
class RemovalWindow;
struct ScanState;

/// What follows the stages of a scan, shared by the main window and the command line: the
/// removal a completed scan runs by itself when asked to, the total of removed items and the
/// anonymous data after a removal, the words of the results, and the report.

/// "Send anonymous data" as the user stored it.
bool SendDataAgreed(ProgramContext& app);

/// The removal that ends a completed scan when it was asked for (a scheduled scan with
/// "Delete spyware automatically", the command line's scan --remove): every finding listed,
/// asking nothing. With nothing listed nothing is removed, and the anonymous data goes out
/// (when sendData) as the results page sends it; after a run the removed total and the
/// anonymous data follow (RecordRemoval).
RemovalResult RemoveListedFindings(ProgramContext& app, FindingList& findings,
                                   RemovalWindow& window, bool allowLarge, bool sendData);

/// After a removal run: `removed` more items in the total of removed items, and the
/// anonymous data when sendData (the user agreed to send it).
void RecordRemoval(ProgramContext& app, int removed, bool sendData);

/// Sends the anonymous list of running programs to the research address.
void SendAnonymousData(ProgramContext& app);

/// The findings the results list shows after a removal run, in the order found: those still
/// on the machine, and those beside a target that stayed (the list keeps every row of its
/// threat name, path or key).
std::vector<int> ListedFindings(const FindingList& findings, const RemovalResult& removal);

/// A type as the category table names it, from the table's name or the current language's
/// words for it (any other text as it is).
std::string EnglishType(ProgramContext& app, const std::string& shown);
/// A type of the table in the current language's words (any other text as it is).
std::string TypeWords(ProgramContext& app, const std::string& type);

/// The words a results row shows for a type as shown: its type, risk and details in the
/// current language; false when the table does not know the type (the row stays as it is).
struct CategoryWords {
  std::string type;
  std::string risk;
  std::string details;
};
bool CategoryWordsOf(ProgramContext& app, const std::string& shownType, CategoryWords& words);

/// The type, risk and details of the findings at `shown`, in the current language, as the
/// results list shows them when a scan has ended.
void FillCategories(ProgramContext& app, FindingList& findings, const std::vector<int>& shown);

/// Writes "Scan_Log.txt" anew for the scan that ended: its counts, times and gaps, and the
/// findings at `shown`, in that order.
void WriteScanReport(ProgramContext& app, const ScanState& scan, const FindingList& findings,
                     const std::vector<int>& shown);

}  // namespace quill
