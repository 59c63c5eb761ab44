#pragma once

#include "platform/widgets/ModifyRecordWindow.h"

// Changes or deletes a video, looked up by the code the operator types; the
// code selects the title, it is not changed here.
class frmModVideo final : public ModifyRecordWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmModVideo)

public:
    explicit frmModVideo(store::Database& db, QWidget* parent = nullptr);
};
