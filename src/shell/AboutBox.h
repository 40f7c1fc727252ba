// The About box: the program's name and version, closed by "Ok", Enter or
// the close box; Escape leaves it open. Window thread.
#pragma once

#include "shell/WindowProcedure.h"

namespace ditdahl {

inline constexpr const char* programVersion = "V0.6";

class AboutBox final : public WindowProcedure {
public:
    explicit AboutBox(Controls& box) : box_(box) {}

    void onInit() override;
    void onCommand(int id, int notificationCode) override;
    void onMessage(const WindowMessage& message) override;
    bool ended() const override { return ended_; }

private:
    Controls& box_;
    bool ended_ = false;
};

}  // namespace ditdahl
