// Times one tail read (open, seek, read, decode, split) of a full 64 KiB window on files of
// growing size; the cost must stay flat, since only the window is ever read.
#include "log/LogTailRead.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 window = 65536;
constexpr int iterations = 2000;

QByteArray realisticTail(qint64 bytes)
{
    const QList<QByteArray> samples{
        "2024-05-14 09:12:03 INFO  PRINT_SUCCESS slot=phieu_tam_tinh printer=\"Xprinter XP-80\" "
        "job=1842 Phiếu tạm tính bàn 12\n",
        "2024-05-14 09:12:04 WARN  PRINT_IOKIT_FALLBACK Máy in nhãn không phản hồi, thử lại\n",
        "2024-05-14 09:12:05 ERROR PRINT_ERROR Không thể kết nối máy in \"Phiếu thanh toán\"\n",
        "2024-05-14 09:12:06 INFO  Health check ok (uptime 3h12m)\n",
        "2024-05-14 09:12:07 INFO  PRINT_CUPS_OK Nhãn tem ×3 — Trà sữa trân châu đường đen\n",
    };
    QByteArray text;
    for (int i = 0; text.size() < bytes; ++i)
        text += samples[i % samples.size()];
    return text.right(bytes);
}

bool makeFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 tailBytes = std::min(size, window);
    // Everything before the window stays a hole: sparse files keep the 1 GiB case cheap.
    return file.resize(size - tailBytes) && file.seek(size - tailBytes) &&
           file.write(realisticTail(tailBytes)) == tailBytes;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QList<std::pair<const char *, qint64>> sizes{
        {"1 KiB", 1024}, {"64 KiB", window}, {"100 MiB", 100LL << 20}, {"1 GiB", 1LL << 30}};
    std::printf("%-8s %12s %12s %8s\n", "file", "median ms", "p99 ms", "lines");
    for (const auto &[label, size] : sizes) {
        const QString path = dir.filePath(QString::fromLatin1(label));
        if (!makeFile(path, size)) {
            std::fprintf(stderr, "cannot create %s file\n", label);
            return 1;
        }
        std::vector<double> ms;
        qsizetype lines = 0;
        QElapsedTimer timer;
        for (int i = 0; i < iterations; ++i) {
            timer.start();
            const TailRead read = readLogTail(path, 300, window);
            ms.push_back(timer.nsecsElapsed() / 1e6);
            lines = read.lines ? read.lines->size() : -1;
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-8s %12.4f %12.4f %8lld\n", label, ms[ms.size() / 2],
                    ms[ms.size() * 99 / 100], static_cast<long long>(lines));
    }
    return 0;
}
