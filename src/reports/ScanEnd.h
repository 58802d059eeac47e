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
/// anonymous data after a removal, and the report.

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

/// Writes "Scan_Log.txt" anew for the scan that ended: its counts, times and gaps, and the
/// findings at `shown`, in that order.
void WriteScanReport(ProgramContext& app, const ScanState& scan, const FindingList& findings,
                     const std::vector<int>& shown);

}  // namespace quill
