#pragma once
#include <string>
#include <vector>

namespace qz {

class TGraphItem;
class TNetList;
class TPNObjekt;

// The plain-text description of a document ("Save as ASCII file"): every
// object of the hierarchy with its places, transitions and arcs, one line
// each. Keys are renumbered per net as for saving.

// The whole document: the version heading and the root's object lines.
std::vector<std::string> DescribeDocument(TPNObjekt& root);
void DescribeObject(TPNObjekt& object, std::vector<std::string>& lines);
void DescribeNet(TNetList& net, std::vector<std::string>& lines);
// One line for a place, transition or arc; nothing for other elements.
void DescribeElement(const TGraphItem& element, std::vector<std::string>& lines);

// The diagnostic listing of the object structure.
void StructureListing(const TPNObjekt& object, std::vector<std::string>& lines);

// The lines as the export window saves them: Windows-1252, each line ended
// by CR LF.
std::string DescriptionFileText(const std::vector<std::string>& lines);

} // namespace qz
