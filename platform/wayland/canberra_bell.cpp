#include "platform/wayland/canberra_bell.h"

#include <QLibrary>

#include <canberra.h>

#include <cstdint>
#include <optional>

namespace kolvart::wayland {
namespace {

// The parts of libcanberra the bell uses, resolved from the library opened
// at the first bell.
struct Canberra {
    decltype(&ca_context_create) create;
    decltype(&ca_context_destroy) destroy;
    decltype(&ca_context_change_props) changeProps;
    decltype(&ca_context_open) open;
    decltype(&ca_context_play) play;
    decltype(&ca_context_cancel) cancel;
};

std::optional<Canberra> openCanberra() {
    // Stays loaded for the rest of the program: the context lives as long.
    QLibrary library(QStringLiteral("canberra"), 0);
    const auto get = [&library]<typename F>(F*& function, const char* name) {
        function = reinterpret_cast<F*>(library.resolve(name));
        return function != nullptr;
    };
    Canberra canberra{};
    if (get(canberra.create, "ca_context_create") && get(canberra.destroy, "ca_context_destroy") &&
        get(canberra.changeProps, "ca_context_change_props") &&
        get(canberra.open, "ca_context_open") && get(canberra.play, "ca_context_play") &&
        get(canberra.cancel, "ca_context_cancel"))
        return canberra;
    return std::nullopt;
}

// The sentinel that ends libcanberra's lists of properties.
constexpr const char* endOfProperties = nullptr;

class Bell {
public:
    Bell() {
        if (!canberra_ || canberra_->create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            return;
        }
        // The sound server shows the sounds under the program's name.
        canberra_->changeProps(context_, CA_PROP_APPLICATION_NAME, "Kolvart",
                               CA_PROP_APPLICATION_ID, KOLVART_APP_ID, endOfProperties);
        // Connects to the sound server now, so that a server that is not
        // there costs one try and not one at every bell.
        if (canberra_->open(context_) != CA_SUCCESS) {
            canberra_->destroy(context_);
            context_ = nullptr;
        }
    }

    ~Bell() {
        if (context_)
            canberra_->destroy(context_);
    }
    Bell(const Bell&) = delete;
    Bell& operator=(const Bell&) = delete;

    void ring() {
        if (!context_)
            return;
        // Each bell replaces the one before it: one sound per bell, and a
        // burst of them ends when its last bell does.
        canberra_->cancel(context_, bellId);
        canberra_->play(context_, bellId, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
                        "Teken geweigerd", endOfProperties);
    }

private:
    static constexpr std::uint32_t bellId = 1;
    const std::optional<Canberra> canberra_ = openCanberra();
    ca_context* context_ = nullptr;
};

} // namespace

void ringBell() {
    static Bell bell;
    bell.ring();
}

} // namespace kolvart::wayland
