// The model reader: the format's line rules, numbering that never shifts when a line is dropped, messages
// for files that break the rules, files that cannot be opened. Over 50 problems: the hostile-file tests.
#include "ReaderHarness.h"
#include "io/ModelFileError.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace sv {
namespace {

struct Row {
  std::string text, mesh, out = {}, err = {};  // err: each "@" stands for the file's path
};

// Loads the row's file with each line terminator (LF, CR LF, lone CR), which must not matter.
void expectLoad(const Row& row) {
  for (const std::string ending : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE("file \"" + row.text + "\", ending of " + std::to_string(ending.size()));
    std::string text = row.text, err = row.err;
    for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + ending.size()))
      text.replace(at, 1, ending);
    const auto r = test::loadText(text);
    for (auto at = err.find('@'); at != std::string::npos; at = err.find('@', at)) err.replace(at, 1, r->path);
    EXPECT_EQ(test::describe(r->mesh()), row.mesh);
    EXPECT_EQ(r->out.substr(0, r->out.find("vtx   =")), row.out);  // build's count lines follow
    EXPECT_EQ(r->err, err);
    EXPECT_TRUE(test::isSoundMesh(r->reader));
  }
}

const std::string kT = "o t\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 0 1 0\nvn 1 0 0\n";
const std::string kTMesh = "v0,0,0 v5,0,0 v0,5,0 n-0,-0,-1 n-0,-1,-0 n-1,-0,-0 ";
std::string refused(int line, const char* keyword) {
  return "@:" + std::to_string(line) + ": '" + keyword + "' line does not read as three numbers; line skipped\n";
}
std::string passedOver(const std::string& what) { return "@: " + what + "; convert the file with springview-import\n"; }

TEST(OBJ3DTest, LinesAsTheFormatReadsThem) {
  const Row rows[] = {
      {"o a\nv 0.5 -1.25e+2 3", "v2.5,-625,15 "},
      {"o a\nv 1 2 3.5\nv 1 2 1.5E1\nv 1 2 3.5e\nv 1 2 3abc\nv 1 2 3 4\nv 1 2 1e5\n",
       "v5,10,17.5 v5,10,75 v5,10,17.5 v5,10,15 v5,10,15 v5,10,5 "},
      {"o a\nv --1 -2 ---3.5\nv\t1 \v\f 2\t\t3\nvn 0 1 0\n", "v0,-10,0 v5,10,15 n-0,-1,-0 "},
      {"o a\nv +1 2 3\nv .5 1 2\nv 1 2 .5\nv 1e5 2 3\nv 1. 2 3\nv 1 2\nvn 1 2\n", "", "",
       refused(2, "v") + refused(3, "v") + refused(4, "v") + refused(5, "v") + refused(6, "v") + refused(7, "v") +
           refused(8, "vn")},
      {"o a\nv 1.0e999 0 0\nv 0 -1.0e151 0\nvn 0 0 1.0e999\nv 1.0e150 1.0e-400 -1.0e150\nvn 1.0e300 0 0\n",
       "v5e+150,0,-5e+150 n-1e+300,-0,-0 ", "",
       "@:2: vertex coordinate out of range; line skipped\n@:3: vertex coordinate out of range; line skipped\n"
       "@:4: normal coordinate out of range; line skipped\n"},
      {"o a\n#\n# text\n#v 1 2 3\n\n v 1 2 3\n\tv 1 2 3\ng g1\ng\nusemtl red\nmtllib x.mtl\nk 1\nk 1 x\n", ""},
      {"o a\nf 1 2 3\nf 1/2 3/4 5/6\nf -1//1 2//1 3//1\nf 1//1 2//1\n", "", "",
       passedOver("4 face lines skipped: not three corners written v/t/n or v//n")},
      {"o a\nvt 0.5 0.5\ns 1\nV 1 2 3\nv1 1 2 3\n\x1b[2Jv 1\n\xff\xfe 1\nv\\x 1\n" + std::string("v\0w 1\n", 6) +
           std::string(100, 'x'),
       "",
       "keyword vt not found\nkeyword s not found\nkeyword V not found\nkeyword v1 not found\nkeyword "
       "\\x1b[2Jv not found\nkeyword \\xff\\xfe not found\nkeyword v\\\\x not found\nkeyword v\\x00w not found\n"
       "keyword " +
           std::string(64, 'x') + "[... 36 more bytes] not found\n",
       passedOver("9 lines of unknown keywords skipped")},
      {kT + "f 1//1 2//2 3//3\nf 1/7/3 2/8/2 3/9/1 4/4/4\nk 3 1\nk 2.7 1\n",
       kTMesh + "f0,1,2/0,1,2 f0,1,2/2,1,0 k2,0 k1,0 ", "",
       passedOver("1 face line with more than three corners: only the first three were read")},
      {kT + "f 1// 2//2 3//3\nf //1 2//1 3//1\nf 1//1 2//1 4//1\nf 1//1 2//4 3//1\nk 1 -99999999999999999999\n"
            "f 99999999999999999999//1 2//1 3//1\nk 4294967297 1\n",
       kTMesh, "",
       "@:8: face corner 1 names normal 0, but valid normals are 1 to 3; face skipped\n"
       "@:9: face corner 1 names vertex 0, but valid vertices are 1 to 3; face skipped\n"
       "@:10: face corner 3 names vertex 4, but valid vertices are 1 to 3; face skipped\n"
       "@:11: face corner 2 names normal 4, but valid normals are 1 to 3; face skipped\n"
       "@:12: spring names vertex -2147483648, but valid vertices are 1 to 3; spring skipped\n"
       "@:13: face corner 1 names vertex 2147483647, but valid vertices are 1 to 3; face skipped\n"
       "@:14: spring names vertex 2147483647, but valid vertices are 1 to 3; spring skipped\n"},
      {"o a\nk 1 2\n", "", "", "@:2: spring names vertex 1, but the object has no vertices; spring skipped\n"},
      // Faces and springs may name vertices of later lines; only the last object counts, numbered afresh.
      {"o a\nk 1 3\nf 1//1 2//1 3//1\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n",
       "v0,0,0 v5,0,0 v0,5,0 n-0,-0,-1 f0,1,2/0,0,0 k0,2 "},
      {"o a\nv 1 2 3\nv .5 0 0\nvn 1.0e999 0 0\nk 1 1\n" + kT + "f 1//1 2//1 3//2\nk 1 3\n",
       kTMesh + "f0,1,2/0,0,1 k0,2 ", "", refused(3, "v") + "@:4: normal coordinate out of range; line skipped\n"},
      {"o a\nv .5 0 0\no b\nv .5 0 0\nk 1 1\n", "", "",  // the second mesh names its own dropped line
       refused(2, "v") + refused(4, "v") + "@:5: spring names vertex 1, which line 4 dropped; spring skipped\n"},
      {"v 1 2 3\nk 1 1", "v5,10,15 k0,0 "},
      {"", ""},
      {"x", "", "keyword x not found\n", passedOver("1 line of unknown keywords skipped")},  // a file of one byte
      {"v .5 0 0\nk 1 1\nv .5 0 0\n", "", "",
       refused(1, "v") + "@:2: spring names vertex 1, which line 1 dropped; spring skipped\n" + refused(3, "v")},
      {"o t\nv 0 0 0\nv 1.0e999 0 0\nv .5 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 1.0e999 0 0\nvn 0 1 0\n"
       "f 1//1 4//3 5//1\nk 1 4\nk 4 5\nk 1 2\nf 3//1 4//1 5//1\nf 1//2 4//1 5//1",
       "v0,0,0 v5,0,0 v0,5,0 n-0,-0,-1 n-0,-1,-0 f0,1,2/0,1,0 k0,1 k1,2 ", "",
       "@:3: vertex coordinate out of range; line skipped\n" + refused(4, "v") +
           "@:8: normal coordinate out of range; line skipped\n@:13: spring names vertex 2, which line 3 dropped; "
           "spring skipped\n@:14: face corner 1 names vertex 3, which line 4 dropped; face skipped\n@:15: face "
           "corner 1 names normal 2, which line 8 dropped; face skipped\n"},
  };
  for (const Row& row : rows) expectLoad(row);
}

// A line over the limit is skipped as it streams past, ending anywhere, keeping its and its vertex's number.
TEST(OBJ3DTest, LineOverTheLimitIsSkippedAndKeepsItsNumber) {
  const std::size_t n = std::size_t{1} << 20;  // 1 MiB
  const std::string skipped = ": line longer than " + std::to_string(n) + " bytes; line skipped\n";
  for (const std::size_t over : {std::size_t{1}, std::size_t{2}, n + 3}) {  // n + 3: a CR LF across two reads
    expectLoad({"o a\nv 1 2 3" + std::string(n - 7, ' ') + "\nv 4 5 6" + std::string(n - 7 + over, ' ') +
                    "\nv 7 8 9\nk 1 2\nk 1 3\n" + std::string(n + over, 'x'),
                "v5,10,15 v35,40,45 k0,1 ", "",
                "@:3" + skipped + "@:5: spring names vertex 2, which line 3 dropped; spring skipped\n@:7" + skipped});
  }
}

TEST(OBJ3DTest, EachUnopenablePathNamesFileAndReasonAndKeepsTheEarlierStream) {
  const test::ScratchDir dir;
  std::filesystem::create_directory(dir.path + "/a-directory.obj");
  const std::string unreadable = dir.write("unreadable.obj", "o a\n");
  std::filesystem::permissions(unreadable, std::filesystem::perms::none);
  std::filesystem::create_symlink(dir.path + "/loop.obj", dir.path + "/loop.obj");
  std::filesystem::create_symlink("/dev/zero", dir.path + "/zero.obj");  // one line that never ends
  std::vector<std::pair<std::string, std::string>> rows = {
      {dir.path + "/no-such-model.obj", "No such file or directory"},
      {dir.path + "/a-directory.obj", "it is a directory"},
      {dir.write("plain.obj", "o a\n") + "/inner.obj", "Not a directory"},
      {dir.path + "/loop.obj", "Too many levels of symbolic links"},  // even with the rights to read any file
      {"/dev/zero", "it is a character device, not a file"},
      {dir.path + "/zero.obj", "it is a character device, not a file"},
  };
  if (!std::ifstream(unreadable).is_open()) rows.emplace_back(unreadable, "Permission denied");
  OBJ3D reader;
  EXPECT_EQ(reader.open(dir.write("model.obj", "o a\nv 1 2 3\n")), 0);
  for (const auto& [path, reason] : rows) {
    try {
      reader.open(path);
      ADD_FAILURE() << "open succeeded on " << path;
    } catch (const ModelFileError& e) {
      EXPECT_EQ(std::string(e.what()), path + ": cannot open the model file: " + reason);
    }
  }
  std::istream none(nullptr);  // a stream with no buffer reads as an empty file
  reader.loadFrom(none, "none");
  EXPECT_EQ(reader.objects[0]->vertexCount, 0);
  reader.load();
  EXPECT_EQ(reader.objects[0]->vertexCount, 1);
}

}  // namespace
}  // namespace sv
