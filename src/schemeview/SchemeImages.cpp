#include "schemeview/SchemeImages.h"

#include "model/Project.h"
#include "scheme/SchemeScene.h"
#include "schemeview/SchemeRender.h"

#include <stdexcept>

namespace tralcon {

namespace {

std::string Picture(const TSchemeDocument& scheme) {
    const TSchemeLook look = DefaultSchemeLook();
    QImage image = RenderSchemeBackground(scheme, QSize(kSchemeSide, kSchemeSide), look);
    PaintSchemeScene(image, scheme, nullptr, look.Font);
    return ImageToGif(image);
}

} // namespace

std::vector<bool> GreenRows(const TProject& project, const TPhase* phase) {
    std::vector<bool> green(static_cast<std::size_t>(project.TrendCount()), false);
    if (phase == nullptr)
        return green;
    for (int row = 0; row < project.TrendCount(); ++row)
        if (const TTrend* t = project.TrendAt(row); t != nullptr && phase->IsGreen(t))
            green[static_cast<std::size_t>(row)] = true;
    return green;
}

std::string WriteSchemeImage(TSchemeDocument& scheme, const TProject& project) {
    ShowPhaseView(scheme, GreenRows(project, project.AllRedPhase()));
    ShowSchemeView(scheme);
    return Picture(scheme);
}

std::string WritePhaseImage(TSchemeDocument& scheme, const TProject& project, int index) {
    const TPhase* phase = project.PhaseAt(index);
    if (phase == nullptr)
        throw std::out_of_range("Phase index out of range");
    ShowPhaseView(scheme, GreenRows(project, phase));
    return Picture(scheme);
}

} // namespace tralcon
