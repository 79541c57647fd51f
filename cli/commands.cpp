#include "cli/commands.h"

#include <QBuffer>
#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cctype>
#include <iostream>
#include <iterator>
#include <ostream>

#include "diagram/diagram_size.h"
#include "diagram/painter.h"
#include "expr/m_macros_optimize.h"
#include "expr/m_tree.h"
#include "expr/notation.h"
#include "expr/tree.h"

namespace rivo::cli {

namespace {

void WriteLines(std::ostream& out, const std::vector<std::string>& lines) {
    for (const auto& line : lines)
        out << line << '\n';
}

// parse EXPR: the forest exactly as the parser left it, before any pass.
int RunParse(const Arguments& args, std::ostream& out) {
    const std::string text = ReadExpression(args.operands[0]);
    expr::TreeContainer tree;
    const expr::NodeId root = tree.AddFirstTopLevel("");
    expr::ParseExpression(text, tree, root);
    WriteLines(out, expr::FormatForest(tree));
    return 0;
}

diagram::DiagramSize ReadDiagramSize(const std::string& operand) {
    if (operand.size() == 1) {
        if (const auto size = diagram::DiagramSizeOf(operand[0] - '0')) return *size;
    }
    throw UsageError{"N must be 3, 4 or 5, not \"" + operand + "\""};
}

bool EndsWithBmp(const std::string& file) {
    constexpr std::string_view kSuffix = ".bmp";
    if (file.size() < kSuffix.size()) return false;
    return std::equal(
        kSuffix.begin(), kSuffix.end(), file.end() - kSuffix.size(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(b)) == a; });
}

// Encodes the whole picture before touching the file, and replaces the file only once all of it
// is written, so a failed run leaves no half-written picture behind.
int WritePicture(const QImage& picture, const std::string& file) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool encoded = picture.save(&buffer, EndsWithBmp(file) ? "BMP" : "PNG");
    QSaveFile out(QString::fromLocal8Bit(file.data(), static_cast<qsizetype>(file.size())));
    out.setDirectWriteFallback(true);
    if (!encoded || !out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() ||
        !out.commit()) {
        std::cerr << "rivo-cli: cannot write the picture to " << file << ": "
                  << out.errorString().toStdString() << '\n';
        return 1;
    }
    return 0;
}

// paint N REGIONS -o FILE: the region set as given, painted over the N-circle template.
int RunPaint(const Arguments& args, std::ostream&) {
    const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
    if (!args.output) throw UsageError{"paint needs -o FILE"};
    return WritePicture(diagram::PaintDiagram(size, args.operands[1]), *args.output);
}

// tree EXPR: the root node's tree after the passes, on one line.
int RunTree(const Arguments& args, std::ostream& out) {
    const std::string text = ReadExpression(args.operands[0]);
    expr::TreeContainer tree;
    expr::ParseExpression(text, tree, tree.AddFirstTopLevel(""));
    expr::SimplifyTree(tree, tree.FirstTopLevel());
    out << expr::FormatSubtree(tree, tree.FirstTopLevel()) << '\n';
    return 0;
}

constexpr Command kCommands[] = {
    {"parse", "EXPR", 1, "the forest the parser built, one line per top-level node", RunParse},
    {"tree", "EXPR", 1, "the root node's tree after the passes, one line", RunTree},
    {"paint", "N REGIONS -o FILE", 2, "paint a region set given by its codes", RunPaint},
};

}  // namespace

std::span<const Command> Commands() {
    return kCommands;
}

std::string ReadExpression(const std::string& operand) {
    if (operand != "-") return operand;
    std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace rivo::cli
