#pragma once

#include <QString>

#include <cstddef>
#include <type_traits>
#include <variant>

// A group of preferences (a struct whose member initialisers are the
// settings file's defaults) declares its rows of config.ini once, next to
// the struct; reading, writing, the window and `--record` map from them.

// Where a row's value is kept in its group; the alternative is the key's
// type (boolean, integer, text).
template <class Group>
using PreferenceField = std::variant<bool &(*)(Group &), int &(*)(Group &), QString &(*)(Group &)>;

template <class Group> struct PreferenceRow {
    const char *name; // the key in config.ini
    PreferenceField<Group> field;
    int listSize;        // integers: items of the list whose index it is
    bool writtenAtClose; // FileName is written only when a file is chosen
};

namespace PreferenceAccess {

template <class> struct MemberOf;
template <class G, class T> struct MemberOf<T G::*> {
    using Group = G;
    using Type = T;
};

// `&PreferenceAccess::member<&Group::Name>`: the member itself.
template <auto Member>
typename MemberOf<decltype(Member)>::Type &member(typename MemberOf<decltype(Member)>::Group &g)
{
    return g.*Member;
}

// `&PreferenceAccess::element<&Group::Array, I>`: item I of an array member.
template <auto Member, std::size_t I> auto &element(typename MemberOf<decltype(Member)>::Group &g)
{
    return (g.*Member)[I];
}

} // namespace PreferenceAccess

using PreferenceValue = std::variant<bool, int, QString>;

// A row's value in a group, read without changing it.
template <class Group>
PreferenceValue preferenceValue(const PreferenceRow<Group> &row, const Group &group)
{
    Group copy = group; // the accessors hand out references
    return std::visit([&](auto access) { return PreferenceValue(access(copy)); }, row.field);
}

template <class Group>
void setPreferenceValue(const PreferenceRow<Group> &row, Group &group, const PreferenceValue &value)
{
    std::visit(
        [&](auto access) {
            auto &kept = access(group);
            kept = std::get<std::decay_t<decltype(kept)>>(value);
        },
        row.field);
}

// The row's default: its value in a group as constructed.
template <class Group> PreferenceValue preferenceDefault(const PreferenceRow<Group> &row)
{
    return preferenceValue(row, Group());
}
