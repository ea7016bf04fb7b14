// CSelectDspOperationDlg (dialog 101): a channel's sample operation, chosen in four lists: the
// first and second source and the target among the window's curve names, and the operation
// among the operation names. The opener fills the two name lists and a copy of the record; after
// OK the copy is to be taken. A list left without a choice keeps the record's value.
// User-interface thread only.
#pragma once

#include "common/DspOperation.h"

#include <array>
#include <string>
#include <vector>

#include <wx/dialog.h>

class wxChoice;

class CSelectDspOperationDlg : public wxDialog
{
public:
    static constexpr int kIdSource1 = 1010;
    static constexpr int kIdSource2 = 1011;
    static constexpr int kIdTarget = 1012;
    static constexpr int kIdOperation = 1013;

    explicit CSelectDspOperationDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    std::vector<std::string> m_curveNames;
    std::vector<std::string> m_operationNames;
    DspOperation m_Operation;

private:
    // Source 1, source 2, target, operation.
    std::array<wxChoice*, 4> m_lists{};
};
