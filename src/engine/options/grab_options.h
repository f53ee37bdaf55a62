#pragma once
// How the packet loop picks its next input.
#include "engine/options/persistent.h"

namespace vc {

class TGrabOptions : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(bool InputSync READ InputSync WRITE SetInputSync)

public:
    explicit TGrabOptions(QObject* parent = nullptr) : TPersistent(parent) {}
    void Assign(const TPersistent* source) override {
        const auto* s = qobject_cast<const TGrabOptions*>(source);
        if (s == nullptr) {
            TPersistent::Assign(source);
            return;
        }
        SetInputSync(s->InputSync());
    }

    // True: the next input is the one with the smallest input time stamp, not output time stamp.
    bool InputSync() const { return input_sync_; }
    void SetInputSync(bool v) { input_sync_ = v; }

private:
    bool input_sync_ = false;
};

} // namespace vc
