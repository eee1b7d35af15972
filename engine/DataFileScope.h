#pragma once
// The data file whose values are being read into objects (a blueprint file, a level layer
// file), so that a component refusing a value can name the file beside its object. Scopes nest:
// a level file's object is made from its blueprint's file first, then the level's values are
// read over it. Objects are made on the main thread only; the scopes are the thread's own.
#include <string>

namespace SD {

class Component;
class GameObject;

class DataFileScope {
public:
    explicit DataFileScope(const std::string& path);
    ~DataFileScope();
    DataFileScope(const DataFileScope&) = delete;
    DataFileScope& operator=(const DataFileScope&) = delete;

    // The innermost file being read; empty when none is.
    static const std::string& Current();
};

// The object whose components are being read: a component is given its owner only when the
// object is initialised, after its data has been read.
class ReadingObjectScope {
public:
    explicit ReadingObjectScope(const GameObject& object);
    ~ReadingObjectScope();
    ReadingObjectScope(const ReadingObjectScope&) = delete;
    ReadingObjectScope& operator=(const ReadingObjectScope&) = delete;

    // The innermost object being read; null when none is.
    static const GameObject* Current();
};

// "object [Name] (blueprint [B]) in [file]": the owner (or the object being read) by its name
// when it has one, its blueprint, and the file being read when there is one.
std::string DescribeOwner(const Component& component);

}  // namespace SD
