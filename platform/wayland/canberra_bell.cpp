#include "platform/wayland/canberra_bell.h"

#include <QLibrary>

#include <canberra.h>

#include <cstdint>

namespace kolvart::wayland {
namespace {

// The sentinel that ends libcanberra's lists of properties.
constexpr const char* endOfProperties = nullptr;

// libcanberra, opened at the first bell, and a context connected to the sound
// server; both stay for the rest of the program. Without the library or the
// server there is no context, and the bell is silent.
class Bell {
public:
    Bell() {
        QLibrary library(QStringLiteral("canberra"), 0);
        const auto get = [&library]<typename F>(F*& function, const char* name) {
            function = reinterpret_cast<F*>(library.resolve(name));
            return function != nullptr;
        };
        decltype(&ca_context_create) create = nullptr;
        decltype(&ca_context_change_props) changeProps = nullptr;
        decltype(&ca_context_open) open = nullptr;
        if (!get(create, "ca_context_create") || !get(changeProps, "ca_context_change_props") ||
            !get(open, "ca_context_open") || !get(destroy_, "ca_context_destroy") ||
            !get(play_, "ca_context_play") || !get(cancel_, "ca_context_cancel") ||
            create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            return;
        }
        // The sound server shows the sounds under the program's name.
        changeProps(context_, CA_PROP_APPLICATION_NAME, "Kolvart", CA_PROP_APPLICATION_ID,
                    KOLVART_APP_ID, endOfProperties);
        // Connects to the sound server now, so that a server that is not
        // there costs one try and not one at every bell.
        if (open(context_) != CA_SUCCESS) {
            destroy_(context_);
            context_ = nullptr;
        }
    }

    ~Bell() {
        if (context_)
            destroy_(context_);
    }
    Bell(const Bell&) = delete;
    Bell& operator=(const Bell&) = delete;

    void ring() {
        if (!context_)
            return;
        // Each bell replaces the one before it: one sound per bell, and a
        // burst of them ends when its last bell does.
        cancel_(context_, bellId);
        play_(context_, bellId, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
              "Teken geweigerd", endOfProperties);
    }

private:
    static constexpr std::uint32_t bellId = 1;
    decltype(&ca_context_destroy) destroy_ = nullptr;
    decltype(&ca_context_play) play_ = nullptr;
    decltype(&ca_context_cancel) cancel_ = nullptr;
    ca_context* context_ = nullptr;
};

} // namespace

void ringBell() {
    static Bell bell;
    bell.ring();
}

} // namespace kolvart::wayland
