#include "flash/ImageFiles.h"

#include "model/Errors.h"
#include "platform/FileIO.h"

namespace tralcon {

std::string ImageFileName(const std::string& chosenName, int index) {
    const std::size_t nameStart = chosenName.find_last_of('/') + 1; // npos + 1 == 0
    std::size_t dot = chosenName.find_last_of('.');
    std::string stem =
        (dot == std::string::npos || dot < nameStart) ? chosenName : chosenName.substr(0, dot);
    return stem + ".k" + std::to_string(index);
}

std::vector<TImageFileReport> SaveImageFiles(const std::string& chosenName,
                                             const std::vector<TBytes>& images) {
    std::vector<TImageFileReport> reports;
    for (std::size_t i = 0; i < images.size(); ++i) {
        TImageFileReport r;
        r.Path = ImageFileName(chosenName, static_cast<int>(i));
        const TBytes& image = images[i];
        std::string content;
        if (image.size() > kMaxFileImageSize) {
            content.assign(kImageFileSize, '\0');
            r.Message = "Размер данных слишком велик!";
        } else {
            content.assign(image.begin(), image.end());
            content.resize(image.size() <= kImageFileSize ? kImageFileSize : 2 * kImageFileSize,
                           '\0');
            r.Written = true;
        }
        std::string error;
        if (!WriteFileAtomically(r.Path, content, &error))
            throw EUserError("Не удалось записать файл " + r.Path + ": " + error);
        reports.push_back(std::move(r));
    }
    return reports;
}

} // namespace tralcon
