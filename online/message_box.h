#pragma once
// The modal message boxes the online service shows. The application implements this with its
// window's message box; tests record what would have been shown.
#include <string_view>

namespace kestrel {

constexpr std::string_view kMessageBoxTitle = "Kestrel Customiser";

enum class MessageBoxIcon { Error, Information };

class MessageBoxDisplay {
public:
    virtual ~MessageBoxDisplay() = default;
    // Modal, with one OK button; returns when the user has dismissed it.
    virtual void showMessage(MessageBoxIcon icon, std::string_view title, std::string_view text) = 0;
};

}  // namespace kestrel
