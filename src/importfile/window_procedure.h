#pragma once
// What every procedure of the import window holds: the window it works on, reached only
// through ImportWindowContext.
namespace importfile {

class ImportWindowContext;

class WindowProcedure {
  public:
    explicit WindowProcedure(ImportWindowContext& window) noexcept : window_(window) {}

  protected:
    ImportWindowContext& window_;
};

}  // namespace importfile
