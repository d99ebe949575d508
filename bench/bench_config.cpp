// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing a configuration of 10,000 tables, against a bare pugixml load and save of
// the same file.
#include "BenchTiming.h"
#include "app/Tools.h"
#include "config/cConfiguration.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>

namespace
{
constexpr int Tables = 10000;
constexpr int Rounds = 15;

void MakeConfiguration(const QString &path)
{
    cConfiguration config(path);
    config.Read();
    for (int i = 0; i < Tables; ++i)
        config.FTables.append(
            {QStringLiteral("dbo.Table%1").arg(i),
             i % 3 ? QString() : QStringLiteral("select * from dbo.Table%1 where id > %1").arg(i),
             QStringLiteral("Table%1.dat").arg(i)});
    config.Fbackup_path = QStringLiteral("/srv/backup/");
    config.Write();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    const QString program = folder.path() + QStringLiteral("/bench.config");
    const QString bare = folder.path() + QStringLiteral("/bare.config");
    MakeConfiguration(program);
    QFile::copy(program, bare);

    const auto [baseline, measured] = BenchTiming::BestOfRounds(
        Rounds,
        [&] {
            pugi::xml_document document;
            document.load_file(bare.toUtf8().constData());
            document.save_file(bare.toUtf8().constData(), "", pugi::format_raw,
                               pugi::encoding_latin1);
        },
        [&] {
            cConfiguration config(program);
            config.Read();
            config.Write();
        });

    std::printf("tables: %d\n", Tables);
    std::printf("bare pugixml load and save: %.2f ms\n", double(baseline) / 1e6);
    std::printf("Read and Write: %.2f ms\n", double(measured) / 1e6);
    std::printf("ratio: %.2f\n", double(measured) / double(baseline));
    return 0;
}
