#include "modulechoice.h"

#include <algorithm>

QString ListedModule::rememberedAs() const
{
    if (!info.serialNumber.isEmpty())
        return info.serialNumber;
    if (identity && !identity->identification.trimmed().isEmpty())
        return QString::fromLatin1(identity->identification.trimmed());
    return info.path;
}

QString wantedFor(const std::vector<ListedModule> &modules, const QString &node)
{
    const auto chosen = std::find_if(modules.begin(), modules.end(),
                                     [&](const ListedModule &m) { return m.info.path == node; });
    if (chosen == modules.end())
        return {};
    const QString wanted = chosen->rememberedAs();
    const auto answering = std::count_if(modules.begin(), modules.end(),
                                         [&](const ListedModule &m) { return answersTo(m, wanted); });
    return answering > 1 ? node : wanted;
}

bool answersTo(const ListedModule &module, const QString &wanted)
{
    const QString text = wanted.trimmed();
    if (text.isEmpty())
        return false;
    if (module.info.path == text || (!module.info.serialNumber.isEmpty() && module.info.serialNumber == text))
        return true;
    return module.identity && QString::fromLatin1(module.identity->identification).trimmed() == text;
}

ModuleTryOrder moduleTryOrder(const std::vector<ListedModule> &modules, const ModuleChoice &choice,
                              const QString &lastNode)
{
    ModuleTryOrder result;
    auto add = [&](int i) {
        if (std::find(result.order.begin(), result.order.end(), i) == result.order.end())
            result.order.push_back(i);
    };
    const int count = int(modules.size());
    if (!choice.wanted.trimmed().isEmpty()) {
        for (int i = 0; i < count; ++i)
            if (answersTo(modules[std::size_t(i)], choice.wanted))
                add(i);
        if (result.order.empty()) {
            result.awaitingIdentities = std::any_of(modules.begin(), modules.end(), [](const ListedModule &m) {
                return !m.asked && !m.heldElsewhere;
            });
            if (result.awaitingIdentities)
                return result;
        }
        if (choice.strict)
            return result;
    }
    for (int i = 0; i < count; ++i)
        if (modules[std::size_t(i)].info.path == lastNode && !modules[std::size_t(i)].heldElsewhere)
            add(i);
    for (int i = 0; i < count; ++i)
        if (!modules[std::size_t(i)].heldElsewhere)
            add(i);
    for (int i = 0; i < count; ++i)
        add(i);
    return result;
}
