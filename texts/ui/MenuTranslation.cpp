#include "texts/ui/MenuTranslation.h"

#include <wx/menu.h>

#include <optional>
#include <string_view>

#include "platform/Text.h"
#include "texts/TextTable.h"

namespace
{

constexpr std::string_view kCtrlPrefix = "Ctrl+";

// The table text for a menu label, or nothing when the caption has no English table text. wx
// keeps the accelerator in the label after a tab; it is not part of the caption and is put back
// behind the translation, so the shortcut keeps working and showing.
std::optional<wxString> TranslatedLabel(const wxString& label, int language)
{
    std::string caption = label.utf8_string();
    std::string accelerator;
    if (const auto tab = caption.find('\t'); tab != std::string::npos)
    {
        accelerator = caption.substr(tab);
        caption.erase(tab);
    }
    const int id = FindTextId(NormalizeMenuCaption(caption), -1, -1, LANGUAGE_ENGLISH);
    if (id < 0)
        return std::nullopt;
    // A table text is shown as it stands: an "&" in it must not turn into a mnemonic.
    std::string translated;
    for (const char c : GetTextForLanguage(id, language))
    {
        translated += c;
        if (c == '&')
            translated += '&';
    }
    return wxString::FromUTF8(translated + accelerator);
}

}  // namespace

std::string NormalizeMenuCaption(std::string caption)
{
    std::erase(caption, '&');
    if (const auto ctrl = caption.find(kCtrlPrefix); ctrl != std::string::npos)
    {
        // The key is one character, which may take more than one byte.
        const std::string_view rest = std::string_view(caption).substr(ctrl + kCtrlPrefix.size());
        const std::size_t keyBytes = platform::TruncateCharacters(rest, 1).size();
        caption.erase(ctrl, kCtrlPrefix.size() + keyBytes);
    }
    while (!caption.empty() && (caption.back() == '\t' || caption.back() == ' '))
        caption.pop_back();
    return caption;
}

void TranslateMenu(wxMenu* menu, int language)
{
    if (!menu)
        return;
    for (wxMenuItem* item : menu->GetMenuItems())
    {
        if (item->IsSeparator())
            continue;
        const wxString label = item->GetItemLabel();
        if (!label.empty())
        {
            if (const auto translated = TranslatedLabel(label, language))
                item->SetItemLabel(*translated);
        }
        if (item->IsSubMenu())
            TranslateMenu(item->GetSubMenu(), language);
    }
}

void TranslateMenu(wxMenuBar* menuBar, int language)
{
    if (!menuBar)
        return;
    for (std::size_t position = 0; position < menuBar->GetMenuCount(); ++position)
    {
        const wxString label = menuBar->GetMenuLabel(position);
        if (!label.empty())
        {
            if (const auto translated = TranslatedLabel(label, language))
                menuBar->SetMenuLabel(position, *translated);
        }
        TranslateMenu(menuBar->GetMenu(position), language);
    }
}
