// What a completed analysis found, unrounded.
#include "analyses/ResultRecords.h"

TwoGroupNames twoGroupNames(const DataMatrix& data, const TwoGroupChoice& choice)
{
    TwoGroupNames names;
    names.dependent = variableLabel(data, choice.lngDependent);
    names.grouping = variableLabel(data, choice.lngGrouping);
    names.group1 = report::printable(groupName(data, choice.lngGrouping, choice.strGroup1));
    names.group2 = report::printable(groupName(data, choice.lngGrouping, choice.strGroup2));
    names.labelledGroups = data.hasLabels(choice.lngGrouping);
    return names;
}
