#include "cli/commands.h"

#include <QImage>
#include <iostream>
#include <iterator>
#include <ostream>

#include "diagram/diagram_size.h"
#include "diagram/draw.h"
#include "diagram/evaluator.h"
#include "diagram/painter.h"
#include "diagram/picture_writer.h"
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

// The -o FILE of paint and draw; its extension must name a picture format.
const std::string& OutputFile(const Arguments& args, const std::string& command) {
    if (!args.output) throw UsageError{command + " needs -o FILE"};
    if (!diagram::PictureFormatOf(*args.output)) {
        throw UsageError{"FILE must end in " + diagram::PictureExtensionList() + ", not \"" +
                         *args.output + "\""};
    }
    return *args.output;
}

int WritePicture(const QImage& picture, const std::string& file) {
    if (const auto failure = diagram::WritePicture(picture, file)) {
        std::cerr << "rivo-cli: cannot write the picture to " << file << ": " << *failure << '\n';
        return 1;
    }
    return 0;
}

// paint N REGIONS -o FILE: the region set as given, painted over the N-circle template.
int RunPaint(const Arguments& args, std::ostream&) {
    const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
    const std::string& file = OutputFile(args, "paint");
    return WritePicture(diagram::PaintDiagram(size, args.operands[1]), file);
}

// tree EXPR: the root node's tree after the passes, on one line.
int RunTree(const Arguments& args, std::ostream& out) {
    expr::TreeContainer tree;
    expr::BuildTree(ReadExpression(args.operands[0]), tree);
    out << expr::FormatSubtree(tree, tree.FirstTopLevel()) << '\n';
    return 0;
}

// listing EXPR: the prefix listing, one line each, the bytes exactly.
int RunListing(const Arguments& args, std::ostream& out) {
    expr::TreeContainer tree;
    WriteLines(out, expr::BuildListing(ReadExpression(args.operands[0]), tree));
    return 0;
}

// The circles a region lies in: the variables whose set holds its code.
std::string CirclesOf(diagram::DiagramSize size, char code) {
    std::string circles;
    for (char letter = 'A'; letter < 'A' + diagram::CircleCount(size); ++letter) {
        const auto set = diagram::VariableSet(size, letter);
        if (set && set->find(code) != std::string_view::npos) {
            if (!circles.empty()) circles += ' ';
            circles += letter;
        }
    }
    return circles;
}

// regions N EXPR [--key]: the region set on one line (empty for the empty set); with --key, one
// more line per code: the code, a tab, and the circles it lies in.
int RunRegions(const Arguments& args, std::ostream& out) {
    const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
    expr::TreeContainer tree;
    const std::string regions =
        diagram::EvaluateListing(expr::BuildListing(ReadExpression(args.operands[1]), tree), size);
    out << regions << '\n';
    if (args.key) {
        for (const char code : regions)
            out << code << '\t' << CirclesOf(size, code) << '\n';
    }
    return 0;
}

// draw N EXPR -o FILE: the picture the window shows for that text and size.
int RunDraw(const Arguments& args, std::ostream&) {
    const diagram::DiagramSize size = ReadDiagramSize(args.operands[0]);
    const std::string& file = OutputFile(args, "draw");
    expr::TreeContainer tree;
    std::vector<std::string> listing;
    QImage picture;
    diagram::DrawDiagram(size, ReadExpression(args.operands[1]), tree, listing, picture);
    return WritePicture(picture, file);
}

constexpr Command kCommands[] = {
    {"parse", "EXPR", 1, "the forest the parser built, one line per top-level node", RunParse},
    {"tree", "EXPR", 1, "the root node's tree after the passes, one line", RunTree},
    {"listing", "EXPR", 1, "the prefix listing, one line each", RunListing},
    {"regions", "N EXPR", 2,
     "the region set for N = 3, 4 or 5 circles, one line\n"
     "                             (--key: then one line per region: code, tab, its circles)",
     RunRegions},
    {"paint", "N REGIONS -o FILE", 2, "paint a region set given by its codes", RunPaint},
    {"draw", "N EXPR -o FILE", 2, "the picture the window would show", RunDraw},
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
