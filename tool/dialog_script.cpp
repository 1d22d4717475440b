#include "tool/dialog_script.h"

#include "platform/text_encoding.h"
#include "plugin/resource_ids.h"

std::vector<DialogAction> MakeDialogScript(const Options& options) {
    std::vector<DialogAction> script;
    DialogAction type{DialogAction::Type, IDC_THICKNESS, {}};
    Cp932FromUtf8(options.thickness, type.text);
    script.push_back(type);
    if (!options.makeFront) script.push_back({DialogAction::Click, IDC_MAKE_FRONT, {}});
    if (!options.makeSide) script.push_back({DialogAction::Click, IDC_MAKE_SIDE, {}});
    if (!options.makeBack) script.push_back({DialogAction::Click, IDC_MAKE_BACK, {}});
    const int direction = options.direction == Direction::Front  ? IDC_DIRECTION_FRONT
                          : options.direction == Direction::Back ? IDC_DIRECTION_BACK
                                                                 : IDC_DIRECTION_CENTER;
    script.push_back({DialogAction::Click, direction, {}});
    if (options.even) script.push_back({DialogAction::Click, IDC_EVEN_THICKNESS, {}});
    script.push_back({DialogAction::Enter, 0, {}});
    return script;
}
