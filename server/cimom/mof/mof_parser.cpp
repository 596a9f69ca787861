// mof_parser.cpp - recursive descent over the MOF grammar: pragmas,
// qualifier declarations, classes and instances. A syntax error ends its
// declaration: the parser reports it, skips to the declaration's end and
// goes on, so one run reports every broken declaration of every file.
#include "mof/mof_parser.h"

#include <charconv>
#include <unordered_set>

#include <cimobj/cimobj.hpp>

#include "mof/mof_files.h"
#include "mof/mof_lexer.h"
#include "support/type_names.h"

namespace cimom::mof {

namespace {

// Includes deeper than this are refused (a chain that long is a mistake).
constexpr size_t maxIncludeDepth = 32;
// Embedded objects written in place nest at most this deep, as in CIM-XML.
constexpr int maxEmbeddedNesting = 32;

std::wstring wide(std::string_view text) { return cimobj::fromUtf8(text); }
std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::wstring lowerCase(std::wstring text) {
    for (wchar_t &c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

int flavorBit(const Token &word) {
    if (word.isWord("enableoverride")) return CIM_FLAVOR_ENABLEOVERRIDE;
    if (word.isWord("disableoverride")) return CIM_FLAVOR_DISABLEOVERRIDE;
    if (word.isWord("restricted")) return CIM_FLAVOR_RESTRICTED;
    if (word.isWord("tosubclass")) return CIM_FLAVOR_TOSUBCLASS;
    if (word.isWord("translatable")) return CIM_FLAVOR_TRANSLATABLE;
    return 0;
}

// Scope bits of a scope word; -1 for a word that is no scope. "schema" and
// "qualifier" are accepted and carry no bit.
int scopeBits(const Token &word) {
    static const struct {
        const char *word;
        int bits;
    } scopes[] = {{"class", CIM_SCOPE_CLASS},         {"association", CIM_SCOPE_ASSOCIATION},
                  {"indication", CIM_SCOPE_INDICATION}, {"property", CIM_SCOPE_PROPERTY},
                  {"reference", CIM_SCOPE_REFERENCE},   {"method", CIM_SCOPE_METHOD},
                  {"parameter", CIM_SCOPE_PARAMETER},   {"any", CIM_SCOPE_ANY},
                  {"schema", 0},                        {"qualifier", 0}};
    for (const auto &scope : scopes)
        if (word.isWord(scope.word)) return scope.bits;
    return -1;
}

// State shared by the files of one parse: the result, the include chain and
// the aliases defined so far.
class Parser {
public:
    Parser(ParsedMof &parsed, const MofOptions &options) : parsed_(parsed), options_(options) {
        parsed_.namespaces.push_back(options.defaultNamespace);
    }
    void parseSource(uint32_t source, const std::string &canonical, uint32_t nameSpace);
    void include(const std::wstring &file, Location at, const std::string &directory, uint32_t nameSpace);
    uint32_t namespaceIndex(const std::wstring &name);
    void report(const MofError &error) { parsed_.diagnostics.push_back(parsed_.sources.diagnostic(error)); }
    bool tooManyErrors() const { return parsed_.diagnostics.size() >= maxDiagnostics; }
    void add(Location at, uint32_t nameSpace) { parsed_.declarations.push_back(DeclarationStart{at, nameSpace}); }
    bool defineAlias(const std::wstring &name) { return aliases_.insert(lowerCase(name)).second; }
    bool aliasDefined(const std::wstring &name) const { return aliases_.count(lowerCase(name)) != 0; }

private:
    ParsedMof &parsed_;
    const MofOptions &options_;
    std::vector<std::string> includeChain_;
    std::unordered_set<std::wstring> aliases_;
};

// The parse of one file (first pass: checks everything, notes where
// declarations start, follows pragmas) or of one declaration (second pass:
// no parser given, the declaration's tree returned).
class FileParser {
public:
    FileParser(const SourceSet &sources, Location start, Parser *parser, uint32_t nameSpace)
        : parser_(parser),
          lexer_(sources.text(start.source), start.source, start.offset),
          directory_(directoryOf(sources.name(start.source))),
          nameSpace_(nameSpace) {}
    void parseAll();
    // Pragmas give no tree.
    std::optional<DeclarationAst> parseDeclaration();

private:
    const Token &peek() { return lexer_.peek(); }
    Token take();
    Token expect(char punct, const char *message);
    Token expectName(const char *message);
    void recover();

    void parsePragma();
    QualifierListAst parseQualifierList();
    QualifierDeclAst parseQualifierDeclaration();
    // asValue: an embedded object written in place (no ';', no alias).
    ClassAst parseClass(QualifierListAst qualifiers, bool asValue = false);
    void parseFeature(ClassAst &cls);
    void parseParameters(MethodAst &method);
    FeatureAst parseTypedName(QualifierListAst qualifiers, const char *what);
    void parseArraySuffix(FeatureAst &feature);
    InstanceAst parseInstance(bool asValue = false);
    Literal parseValue();
    Literal parseConstant();
    Literal parseEmbedded();

    Parser *parser_;
    Lexer lexer_;
    std::string directory_;
    uint32_t nameSpace_;
    int depth_ = 0;    // braces opened and not closed in the current declaration
    int nesting_ = 0;  // embedded objects being read inside one another
};

void FileParser::parseAll() {
    for (;;) {
        if (parser_->tooManyErrors()) return;
        try {
            if (peek().kind == TokenKind::End) return;
            depth_ = 0;
            Location start = peek().at;
            if (parseDeclaration()) parser_->add(start, nameSpace_);
        } catch (const MofError &error) {
            parser_->report(error);
            recover();
        }
    }
}

Token FileParser::take() {
    Token token = lexer_.take();
    if (token.is('{')) ++depth_;
    if (token.is('}')) --depth_;
    return token;
}

Token FileParser::expect(char punct, const char *message) {
    if (!peek().is(punct)) fail(peek().at, message);
    return take();
}

Token FileParser::expectName(const char *message) {
    if (peek().kind != TokenKind::Identifier) fail(peek().at, message);
    return take();
}

// Skips the rest of a broken declaration: up to the ';' that ends it, or to
// what starts the next one. Errors met on the way are not reported: they
// would only echo the first.
void FileParser::recover() {
    for (;;) {
        try {
            const Token &token = peek();
            if (token.kind == TokenKind::End) return;
            if (depth_ <= 0 && (token.kind == TokenKind::Pragma || token.isWord("class") ||
                                token.isWord("instance") || token.isWord("qualifier")))
                return;
            Token skipped = take();
            if (skipped.is(';') && depth_ <= 0) return;
        } catch (const MofError &) {
        }
    }
}

std::optional<DeclarationAst> FileParser::parseDeclaration() {
    if (peek().kind == TokenKind::Pragma) {
        parsePragma();
        return std::nullopt;
    }
    QualifierListAst qualifiers;
    Location qualifiersAt = peek().at;
    if (peek().is('[')) qualifiers = parseQualifierList();
    const Token &token = peek();
    if (token.isWord("class")) return parseClass(std::move(qualifiers));
    if (!qualifiers.empty()) {
        if (token.isWord("instance")) fail(qualifiersAt, "an instance cannot have qualifiers");
        fail(token.at, "expected 'class' after the qualifier list");
    }
    if (token.isWord("instance")) return parseInstance();
    if (token.isWord("qualifier")) return parseQualifierDeclaration();
    fail(token.at, "expected 'class', 'instance', 'qualifier' or '#pragma'");
}

void FileParser::parsePragma() {
    take();
    Token name = expectName("expected a pragma name after '#pragma'");
    expect('(', "expected '(' after the pragma name");
    bool include = name.isWord("include");
    if (include || name.isWord("namespace")) {
        if (peek().kind != TokenKind::String)
            fail(peek().at, "expected a string in #pragma " + std::string(name.text));
        Token value = take();
        expect(')', "expected ')' after the pragma's string");
        if (include)
            parser_->include(value.value, value.at, directory_, nameSpace_);
        else
            nameSpace_ = parser_->namespaceIndex(value.value);
        return;
    }
    // Other pragmas do not concern the compiler: skip their arguments.
    for (int level = 1; level > 0;) {
        if (peek().kind == TokenKind::End) fail(peek().at, "expected ')' to close the pragma");
        Token token = take();
        if (token.is('(')) ++level;
        if (token.is(')')) --level;
    }
}

QualifierListAst FileParser::parseQualifierList() {
    take();  // '['
    QualifierListAst list;
    for (;;) {
        Token name = expectName("expected a qualifier name");
        QualifierAst qualifier{name.at, wide(name.text), std::nullopt, 0};
        if (peek().is('(')) {
            take();
            qualifier.value = parseConstant();
            expect(')', "expected ')' after the qualifier's value");
        } else if (peek().is('{')) {
            qualifier.value = parseValue();
        }
        if (peek().is(':')) {
            take();
            do {
                Token flavor = expectName("expected a flavor after ':'");
                int bit = flavorBit(flavor);
                if (!bit) fail(flavor.at, "unknown flavor " + quoted(flavor.text));
                qualifier.flavor |= bit;
            } while (flavorBit(peek()));
        }
        list.push_back(std::move(qualifier));
        if (!peek().is(',')) break;
        take();
    }
    expect(']', "expected ',' or ']' after a qualifier");
    return list;
}

QualifierDeclAst FileParser::parseQualifierDeclaration() {
    QualifierDeclAst declaration;
    declaration.at = take().at;
    declaration.name = wide(expectName("expected the qualifier's name").text);
    expect(':', "expected ':' and a type after the qualifier's name");
    Token type = expectName("expected the qualifier's type");
    declaration.type = typeFromMofName(type.text);
    if (declaration.type < 0 || declaration.type == CIM_OBJECT || declaration.type == CIM_CLASS)
        fail(type.at, "unknown type " + quoted(type.text));
    if (peek().is('[')) {
        FeatureAst array;
        parseArraySuffix(array);
        declaration.type += CIM_ARRAY;
        declaration.arraySize = array.arraySize > 0 ? array.arraySize : CIM_SIZE_UNLIMITED;
    }
    if (peek().is('=')) {
        take();
        declaration.defaultValue = parseValue();
    }
    expect(',', "expected ', scope(...)' after the qualifier's type");
    if (!peek().isWord("scope")) fail(peek().at, "expected 'scope' in the qualifier declaration");
    take();
    expect('(', "expected '(' after 'scope'");
    for (;;) {
        Token word = expectName("expected a scope name");
        int bits = scopeBits(word);
        if (bits < 0) fail(word.at, "unknown scope " + quoted(word.text));
        declaration.scope |= bits;
        if (!peek().is(',')) break;
        take();
    }
    expect(')', "expected ',' or ')' after a scope name");
    declaration.flavor = CIM_FLAVOR_ENABLEOVERRIDE | CIM_FLAVOR_TOSUBCLASS;
    if (peek().is(',')) {
        take();
        if (!peek().isWord("flavor")) fail(peek().at, "expected 'flavor' after the scope");
        take();
        expect('(', "expected '(' after 'flavor'");
        for (;;) {
            Token word = expectName("expected a flavor name");
            int bit = flavorBit(word);
            if (!bit) fail(word.at, "unknown flavor " + quoted(word.text));
            // A flavor replaces the default it contradicts.
            if (bit == CIM_FLAVOR_DISABLEOVERRIDE) declaration.flavor &= ~CIM_FLAVOR_ENABLEOVERRIDE;
            if (bit == CIM_FLAVOR_ENABLEOVERRIDE) declaration.flavor &= ~CIM_FLAVOR_DISABLEOVERRIDE;
            if (bit == CIM_FLAVOR_RESTRICTED) declaration.flavor &= ~CIM_FLAVOR_TOSUBCLASS;
            if (bit == CIM_FLAVOR_TOSUBCLASS) declaration.flavor &= ~CIM_FLAVOR_RESTRICTED;
            declaration.flavor |= bit;
            if (!peek().is(',')) break;
            take();
        }
        expect(')', "expected ',' or ')' after a flavor name");
    }
    expect(';', "expected ';' after the qualifier declaration");
    return declaration;
}

ClassAst FileParser::parseClass(QualifierListAst qualifiers, bool asValue) {
    ClassAst cls;
    cls.at = take().at;
    cls.qualifiers = std::move(qualifiers);
    cls.name = wide(expectName("expected the class name").text);
    if (peek().is(':')) {
        take();
        cls.superClass = wide(expectName("expected the superclass name after ':'").text);
    }
    expect('{', "expected '{' to begin the class body");
    while (!peek().is('}')) {
        if (peek().kind == TokenKind::End) fail(peek().at, "expected '}' to end the class body");
        parseFeature(cls);
    }
    take();
    if (!asValue) expect(';', "expected ';' after the class declaration");
    return cls;
}

// "type name" or "Class REF name", with its qualifiers; what names the
// member kind in messages.
FeatureAst FileParser::parseTypedName(QualifierListAst qualifiers, const char *what) {
    FeatureAst feature;
    feature.qualifiers = std::move(qualifiers);
    Token type = expectName((std::string("expected a ") + what + " declaration").c_str());
    // Before REF any word is a class name, even one that is also a type word.
    if (peek().isWord("ref")) {
        take();
        feature.type = CIM_REFERENCE;
        feature.refClass = wide(type.text);
    } else {
        feature.type = typeFromMofName(type.text);
        if (feature.type < 0) fail(type.at, "unknown type " + quoted(type.text));
    }
    Token name = expectName((std::string("expected the ") + what + " name after its type").c_str());
    feature.at = name.at;
    feature.name = wide(name.text);
    return feature;
}

void FileParser::parseArraySuffix(FeatureAst &feature) {
    take();  // '['
    if (peek().kind == TokenKind::Integer) {
        Token size = take();
        int value = 0;
        auto [end, error] = std::from_chars(size.text.data(), size.text.data() + size.text.size(), value);
        if (error != std::errc() || end != size.text.data() + size.text.size() || value <= 0)
            fail(size.at, "array size must be a positive decimal integer");
        feature.arraySize = value;
    }
    expect(']', "expected ']' after the array size");
    feature.type += CIM_ARRAY;
}

void FileParser::parseFeature(ClassAst &cls) {
    QualifierListAst qualifiers;
    if (peek().is('[')) qualifiers = parseQualifierList();
    FeatureAst feature = parseTypedName(std::move(qualifiers), "property or method");
    if (peek().is('(')) {
        if (feature.type == CIM_REFERENCE) fail(feature.at, "a method cannot return a reference");
        MethodAst method{feature.at, std::move(feature.qualifiers), std::move(feature.name), feature.type, {}};
        parseParameters(method);
        expect(';', "expected ';' after method declaration");
        cls.methods.push_back(std::move(method));
        return;
    }
    if (peek().is('[')) parseArraySuffix(feature);
    if (peek().is('=')) {
        take();
        feature.defaultValue = parseValue();
    }
    expect(';', feature.type == CIM_REFERENCE ? "expected ';' after reference declaration"
                                              : "expected ';' after property declaration");
    cls.properties.push_back(std::move(feature));
}

void FileParser::parseParameters(MethodAst &method) {
    take();  // '('
    if (peek().is(')')) {
        take();
        return;
    }
    for (;;) {
        QualifierListAst qualifiers;
        if (peek().is('[')) qualifiers = parseQualifierList();
        FeatureAst parameter = parseTypedName(std::move(qualifiers), "parameter");
        if (peek().is('[')) parseArraySuffix(parameter);
        method.parameters.push_back(std::move(parameter));
        if (peek().is(')')) break;
        expect(',', "expected ',' or ')' after a parameter");
    }
    take();
}

InstanceAst FileParser::parseInstance(bool asValue) {
    InstanceAst instance;
    instance.at = take().at;
    if (!peek().isWord("of")) fail(peek().at, "expected 'of' after 'instance'");
    take();
    Token className = expectName("expected the class name after 'instance of'");
    instance.classAt = className.at;
    instance.className = wide(className.text);
    if (peek().isWord("as")) {
        if (asValue) fail(peek().at, "an embedded instance cannot define an alias");
        take();
        if (peek().kind != TokenKind::Alias) fail(peek().at, "expected an alias ($name) after 'as'");
        Token alias = take();
        instance.alias = wide(alias.text);
        if (parser_ && !parser_->defineAlias(instance.alias))
            fail(alias.at, "alias $" + std::string(alias.text) + " is already defined");
    }
    expect('{', "expected '{' to begin the instance body");
    while (!peek().is('}')) {
        if (peek().kind == TokenKind::End) fail(peek().at, "expected '}' to end the instance body");
        PropertyValueAst value;
        if (peek().is('[')) value.qualifiers = parseQualifierList();
        Token name = expectName("expected a property name");
        value.at = name.at;
        value.name = wide(name.text);
        expect('=', "expected '=' after the property name");
        value.value = parseValue();
        expect(';', "expected ';' after the property value");
        instance.values.push_back(std::move(value));
    }
    take();
    if (!asValue) expect(';', "expected ';' after the instance declaration");
    return instance;
}

// An instance or class written in place of a value.
Literal FileParser::parseEmbedded() {
    Literal literal;
    literal.kind = Literal::Kind::Object;
    literal.at = peek().at;
    if (nesting_ >= maxEmbeddedNesting) fail(literal.at, "embedded objects nested too deeply");
    ++nesting_;
    struct Unnest {
        int &nesting;
        ~Unnest() { --nesting; }
    } unnest{nesting_};
    auto embedded = std::make_shared<EmbeddedAst>();
    if (peek().isWord("instance")) {
        embedded->declaration = parseInstance(true);
    } else {
        QualifierListAst qualifiers;
        if (peek().is('[')) qualifiers = parseQualifierList();
        if (!peek().isWord("class")) fail(peek().at, "expected 'class' after the qualifier list");
        embedded->declaration = parseClass(std::move(qualifiers), true);
    }
    literal.object = std::move(embedded);
    return literal;
}

Literal FileParser::parseValue() {
    if (!peek().is('{')) return parseConstant();
    Literal array;
    array.kind = Literal::Kind::Array;
    array.at = take().at;
    if (peek().is('}')) {
        take();
        return array;
    }
    for (;;) {
        if (peek().is('{')) fail(peek().at, "arrays cannot be nested");
        array.elements.push_back(parseConstant());
        if (peek().is('}')) break;
        expect(',', "expected ',' or '}' in the array");
    }
    take();
    return array;
}

Literal FileParser::parseConstant() {
    const Token &token = peek();
    if (token.isWord("instance") || token.isWord("class") || token.is('[')) return parseEmbedded();
    Literal literal;
    literal.at = token.at;
    switch (token.kind) {
    case TokenKind::Integer: literal.kind = Literal::Kind::Integer; literal.text = token.text; break;
    case TokenKind::Real: literal.kind = Literal::Kind::Real; literal.text = token.text; break;
    case TokenKind::String: literal.kind = Literal::Kind::String; literal.string = token.value; break;
    case TokenKind::Char16: literal.kind = Literal::Kind::Char16; literal.string = token.value; break;
    case TokenKind::Alias:
        if (parser_ && !parser_->aliasDefined(wide(token.text)))
            fail(token.at, "alias $" + std::string(token.text) + " is not defined before this point");
        literal.kind = Literal::Kind::Alias;
        literal.text = token.text;
        break;
    case TokenKind::Identifier:
        if (token.isWord("true") || token.isWord("false")) {
            literal.kind = Literal::Kind::Boolean;
            literal.boolean = token.isWord("true");
        } else if (token.isWord("nan") || token.isWord("inf")) {
            literal.kind = Literal::Kind::Real;  // reals without a MOF literal of their own
            literal.text = token.text;
        } else if (!token.isWord("null")) {
            fail(token.at, "expected a value, found " + quoted(token.text));
        }
        break;
    case TokenKind::Punct:
        if (token.is('-')) {
            take();
            if (!peek().isWord("inf")) fail(literal.at, "expected a number after '-'");
            literal.kind = Literal::Kind::Real;
            literal.text = "-INF";
            break;
        }
        [[fallthrough]];
    default: fail(token.at, "expected a value");
    }
    take();
    return literal;
}

void Parser::parseSource(uint32_t source, const std::string &canonical, uint32_t nameSpace) {
    includeChain_.push_back(canonical);
    FileParser(parsed_.sources, Location{source, 0}, this, nameSpace).parseAll();
    includeChain_.pop_back();
    if (includeChain_.empty() && tooManyErrors())
        parsed_.diagnostics.push_back(MofDiagnostic{parsed_.sources.name(source), 0, 0,
                                                    "too many errors; the rest was not checked"});
}

void Parser::include(const std::wstring &file, Location at, const std::string &directory, uint32_t nameSpace) {
    std::string name = cimobj::toUtf8(file);
    std::string found = findIncludeFile(name, directory, options_.includeDirs);
    if (found.empty()) fail(at, "cannot open include file \"" + name + "\"");
    std::string canonical = canonicalOf(found);
    for (const std::string &open : includeChain_)
        if (open == canonical) fail(at, "include cycle: \"" + name + "\" is already being read");
    if (includeChain_.size() >= maxIncludeDepth) fail(at, "includes nested too deeply at \"" + name + "\"");
    std::string text, error;
    if (!readFile(found, text, error)) fail(at, "cannot read include file \"" + name + "\": " + error);
    parseSource(parsed_.sources.add(found, std::move(text)), canonical, nameSpace);
}

uint32_t Parser::namespaceIndex(const std::wstring &name) {
    for (size_t i = 0; i < parsed_.namespaces.size(); ++i)
        if (parsed_.namespaces[i] == name) return static_cast<uint32_t>(i);
    parsed_.namespaces.push_back(name);
    return static_cast<uint32_t>(parsed_.namespaces.size() - 1);
}

}  // namespace

void parseMofFile(const std::string &path, const MofOptions &options, ParsedMof &parsed) {
    std::string text, error;
    if (!readFile(path, text, error)) {
        parsed.diagnostics.push_back(MofDiagnostic{path, 0, 0, "cannot read file: " + error});
        return;
    }
    Parser parser(parsed, options);
    parser.parseSource(parsed.sources.add(path, std::move(text)), canonicalOf(path), 0);
}

void parseMofText(std::string text, const std::string &name, const MofOptions &options, ParsedMof &parsed) {
    Parser parser(parsed, options);
    parser.parseSource(parsed.sources.add(name, std::move(text)), canonicalOf(name), 0);
}

DeclarationAst readDeclaration(const ParsedMof &parsed, const DeclarationStart &start) {
    return *FileParser(parsed.sources, start.at, nullptr, start.nameSpace).parseDeclaration();
}

}  // namespace cimom::mof
