#pragma once
// The host's classes: everything the module creates itself rather than receives. A host
// returns nullptr for a class it does not provide; the module reports that as an error
// of the step that needed the object.
#include <memory>

#include "host/api.h"

namespace host {

class LogObject;
class ConnectionFactory;
class DateObject;
class UtilityObject;
class ActivityParametersService;
class ExerciseService;
class NumberingRequest;
class ProgressiveNumberService;
class RebuildService;
class GridLayout;
class FileObject;
class FolderObject;
class PathObject;

class LEDGERINTAKE_CONTRACT Components {
  public:
    virtual ~Components() = default;
    virtual std::shared_ptr<LogObject> CreateLogObject() = 0;
    virtual std::shared_ptr<ConnectionFactory> CreateConnectionFactory() = 0;
    virtual std::shared_ptr<DateObject> CreateDateObject() = 0;
    virtual std::shared_ptr<UtilityObject> CreateUtilityObject() = 0;
    virtual std::shared_ptr<ActivityParametersService> CreateActivityParametersService() = 0;
    virtual std::shared_ptr<ExerciseService> CreateExerciseService() = 0;
    virtual std::shared_ptr<NumberingRequest> CreateNumberingRequest() = 0;
    virtual std::shared_ptr<ProgressiveNumberService> CreateProgressiveNumberService() = 0;
    virtual std::shared_ptr<RebuildService> CreateRebuildService() = 0;
    virtual std::shared_ptr<GridLayout> CreateGridLayout() = 0;
    virtual std::shared_ptr<FileObject> CreateFileObject() = 0;
    virtual std::shared_ptr<FolderObject> CreateFolderObject() = 0;
    virtual std::shared_ptr<PathObject> CreatePathObject() = 0;
};

}  // namespace host
