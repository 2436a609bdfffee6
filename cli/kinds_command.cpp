#include "cli/command.h"

#include "document/kind_catalogue.h"

#include <ostream>

namespace vocara::cli {

namespace {

void printCatalogue(const KindCatalogue &catalogue, std::ostream &out)
{
    for (NodeKind kind = 0; kind < Kind::Count; ++kind) {
        const KindDescriptor *descriptor = catalogue.descriptor(kind);
        if (!descriptor)
            continue;
        out << kind << '\t' << elementName(kind) << '\t' << descriptor->displayName << '\t'
            << descriptor->description << '\t' << descriptor->groupKeyword << '\n';
        for (int i = 0; i < descriptor->propertyCount; ++i) {
            const PropertyDescriptor &p = descriptor->properties[static_cast<size_t>(i)];
            out << '\t' << i << '\t' << p.label << '\t' << p.key << '\t' << p.editorType << '\t'
                << p.checkRule << '\t' << (p.editable ? 1 : 0) << '\t' << p.description << '\n';
        }
    }
}

} // namespace

int runKinds(const Arguments &args, std::ostream &out, std::ostream &err)
{
    CatalogueMode mode = CatalogueMode::Flow;
    const std::string value = args.value("--mode", "flow");
    if (value == "asterisk")
        mode = CatalogueMode::Asterisk;
    else if (value != "flow")
        return args.usageError(err, "unknown mode '" + value + "' (expected asterisk or flow)");
    printCatalogue(KindCatalogue::forMode(mode), out);
    return out.good() ? ExitOk : ExitCannotRun;
}

} // namespace vocara::cli
