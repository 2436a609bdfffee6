#include "designer/kind_icons.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace vocara {

namespace {

const char *kindFileName(NodeKind kind)
{
    static const char *const actions[] = {
        "playwave",    "playvalue", "tts",         "run",      "dbtransaction", "hang",
        "userinput",   "transfer",  "transferpbx", "record",   "setvar",        "compare",
        "op",          "sendsms",   "sendfax",     "sendmail", "csconnection",  "regedit",
        "accessfiles", "multidtmf", "senddtmf",    "wait",
    };
    static const char *const digits[] = {"branch0", "branch1", "branch2", "branch3", "branch4",
                                         "branch5", "branch6", "branch7", "branch8", "branch9"};
    if (kind >= 0 && kind <= Kind::LastAction)
        return actions[kind];
    if (kind >= Kind::BranchIf0 && kind < Kind::BranchIf0 + 10)
        return digits[kind - Kind::BranchIf0];
    switch (kind) {
    case Kind::BranchIfStar:
        return "branchstar";
    case Kind::BranchIfHash:
        return "branchhash";
    case Kind::BranchIfTrue:
        return "branchtrue";
    case Kind::BranchIfFalse:
        return "branchfalse";
    case Kind::BranchIfFail:
        return "branchfail";
    case Kind::BranchIfSuccess:
        return "branchsuccess";
    case Kind::BranchIfError:
        return "brancherror";
    case Kind::BranchIfEndKeys:
        return "branchendkeys";
    case Kind::BranchIfTimeOut:
        return "branchtimeout";
    case Kind::BranchIfTimeOutRead:
        return "branchtimeoutread";
    case Kind::BranchIfRecognize:
        return "branchrecognize";
    case Kind::Start:
        return "start";
    case Kind::BranchTo:
        return "branchto";
    default:
        return "unknown";
    }
}

} // namespace

QString kindIconPath(NodeKind kind)
{
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(kindFileName(kind)));
}

QIcon kindIcon(NodeKind kind)
{
    return QIcon(kindIconPath(kind));
}

const QImage &kindImage(NodeKind kind, int side, int ratio)
{
    static QHash<quint64, QImage> cache;
    const quint64 key = (quint64(quint32(kind)) << 32) | quint32(side * 64 + ratio);
    auto it = cache.find(key);
    if (it == cache.end()) {
        const int pixels = side * ratio;
        QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QSvgRenderer renderer(kindIconPath(kind));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
        painter.end();
        image.setDevicePixelRatio(ratio);
        it = cache.insert(key, image);
    }
    return *it;
}

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/vocara.svg"));
}

QIcon themedIcon(const char *themeName, const QString &fallbackPath)
{
    return QIcon::fromTheme(QLatin1String(themeName), QIcon(fallbackPath));
}

} // namespace vocara
