// Writes the application icon at the icon theme's usual bitmap sizes, scaled down from the bundle's
// artwork. Usage: appicons <icon.png> <theme folder> <icon name>; writes <theme folder>/<n>x<n>/apps/<icon name>.png.
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: appicons <icon.png> <theme folder> <icon name>\n");
        return 64;
    }
    const QImage artwork(QString::fromLocal8Bit(argv[1]));
    if (artwork.isNull() || artwork.width() != artwork.height()) {
        std::fprintf(stderr, "appicons: %s is no square image\n", argv[1]);
        return 1;
    }
    for (const int side : {16, 22, 24, 32, 48, 64, 128}) {
        if (side > artwork.width())
            break;
        const std::string size = std::to_string(side) + "x" + std::to_string(side);
        const std::filesystem::path folder = std::filesystem::path(argv[2]) / size / "apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::string file = (folder / (std::string(argv[3]) + ".png")).string();
        const QImage scaled = artwork.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                  .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!scaled.save(QString::fromStdString(file), "PNG")) {
            std::fprintf(stderr, "appicons: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
