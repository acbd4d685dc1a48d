---@meta
-- Tarn's scripting functions, as Scriba documents them. A copy of this file saved as
-- Tarn.d.lua beside Scriba.ini replaces it.

--- Asks the user for a line of text.
---@param prompt string Question shown to the user
---@return string|nil # the text typed, nil when the user cancelled
---@see askvalue
function asktext(prompt) end

--- Asks the user for a number.
---@param prompt string Question shown to the user
---@param default? number Number the box starts with
---@return number|nil # the number typed, nil when the user cancelled
---@see asktext
function askvalue(prompt, default) end

--- Closes the current model without saving it.
---@see savemodel
function closemodel() end

--- Starts a new, empty model of the given kind.
---@param kind "flow"|"heat"|"coupled" Groundwater flow, heat transport, or both coupled
---@see openmodel
function newmodel(kind) end

--- Opens a model file and makes it the current model.
---@param filename string Path of the model file, relative to the script's folder
---@return boolean # true when the model was opened
function openmodel(filename) end

--- Waits before the script goes on.
---@param seconds number Time to wait, in seconds
function pause(seconds) end

--- Ends Tarn; unsaved models are lost.
function quittarn() end

--- Runs another Lua script and comes back when it ends.
---@param filename string Path of the script, relative to this script's folder
function runscript(filename) end

--- Saves the current model to a file.
---@param filename string Path of the model file, relative to the script's folder
---@return boolean # true when the model was saved
function savemodel(filename) end

--- Shows a message box and waits until the user closes it.
---@param text string Message to show
---@see writelog
function showmessage(text) end

--- Tells which version of Tarn runs the script.
---@return string # the version, for example "4.2.1"
function tarnversion() end

--- Adds an arc from one point to another, bending by the angle it spans.
---@param x1 number X of the start point, in the model's length unit
---@param y1 number Y of the start point, in the model's length unit
---@param x2 number X of the end point, in the model's length unit
---@param y2 number Y of the end point, in the model's length unit
---@param angle number Angle the arc spans, in degrees, 1 to 180
---@param maxsegdeg? number Largest angle one mesh segment of the arc spans, in degrees (default 1)
---@see tg_addsegment
function tg_addarc(x1, y1, x2, y2, angle, maxsegdeg) end

--- Adds a circle as two arcs.
---@param cx number X of the centre, in the model's length unit
---@param cy number Y of the centre, in the model's length unit
---@param radius number Radius, in the model's length unit
---@param maxsegdeg? number Largest angle one mesh segment of the arc spans, in degrees (default 1)
---@see tg_addarc
function tg_addcircle(cx, cy, radius, maxsegdeg) end

--- Adds a block label, which gives the region around it its material.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@see tg_setlabelprops
function tg_addlabel(x, y) end

--- Adds a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@see tg_addsegment
---@see tg_setpointprops
function tg_addpoint(x, y) end

--- Adds the four segments of a rectangle.
---@param x1 number X of the first corner, in the model's length unit
---@param y1 number Y of the first corner, in the model's length unit
---@param x2 number X of the opposite corner, in the model's length unit
---@param y2 number Y of the opposite corner, in the model's length unit
function tg_addrectangle(x1, y1, x2, y2) end

--- Adds a straight segment between two points, adding the points where missing.
---@param x1 number X of the start point, in the model's length unit
---@param y1 number Y of the start point, in the model's length unit
---@param x2 number X of the end point, in the model's length unit
---@param y2 number Y of the end point, in the model's length unit
---@see tg_addarc
---@see tg_setsegmentprops
function tg_addsegment(x1, y1, x2, y2) end

--- Builds the finite element mesh of the geometry.
---@return integer # the number of elements made
---@see tg_setmeshsize
---@see tg_clearmesh
function tg_buildmesh() end

--- Looks for crossing segments, open regions and regions without a label.
---@return integer # the number of problems found; 0 when there are none
function tg_checkgeometry() end

--- Deletes the whole geometry and its mesh.
function tg_clearall() end

--- Deletes the mesh, keeping the geometry.
function tg_clearmesh() end

--- Unselects everything.
function tg_clearselection() end

--- Closes the polyline being drawn with a segment back to its first point.
---@see tg_startpolyline
function tg_closepolyline() end

--- Copies the selection, each copy moved on by the same distance.
---@param dx number Distance along x, in the model's length unit
---@param dy number Distance along y, in the model's length unit
---@param copies integer Number of copies to make
function tg_copyselected(dx, dy, copies) end

--- Counts the mesh's elements.
---@return integer # the number of elements
function tg_countelements() end

--- Counts the mesh's nodes.
---@return integer # the number of nodes
function tg_countnodes() end

--- Counts the geometry's points.
---@return integer # the number of points
function tg_countpoints() end

--- Rounds the corner at a point with an arc.
---@param x number X of the corner, in the model's length unit
---@param y number Y of the corner, in the model's length unit
---@param radius number Radius of the fillet, in the model's length unit
function tg_createfillet(x, y, radius) end

--- Deletes the selected items.
function tg_deleteselected() end

--- Sets which kind of item clicks and selections act on.
---@param mode "points"|"segments"|"arcs"|"labels"|"groups" Kind of item
function tg_editmode(mode) end

--- Writes the geometry as a DXF drawing.
---@param filename string Path of the DXF file
---@deprecated use tg_exportgeometry
---@see tg_exportgeometry
function tg_exportdxf(filename) end

--- Writes the geometry to a file; the extension (.dxf, .svg, .csv) picks the format.
---@param filename string Path of the file, relative to the script's folder
---@see tg_importdxf
function tg_exportgeometry(filename) end

--- Finds the mesh element that holds a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@return integer|nil # the element's number, nil when the point is outside the mesh
function tg_findelement(x, y) end

--- Gives the nodes of a mesh element.
---@param index integer Number of the element, from 1
---@return integer # the element's first node
---@return integer # its second node
---@return integer # its third node
function tg_getelement(index) end

--- Gives the position of a mesh node.
---@param index integer Number of the node, from 1
---@return number # the node's x, in the model's length unit
---@return number # its y, in the model's length unit
function tg_getnode(index) end

--- Gives the position of a geometry point.
---@param index integer Number of the point, from 1
---@return number # the point's x, in the model's length unit
---@return number # its y, in the model's length unit
function tg_getpoint(index) end

--- Tells whether the model has a mesh.
---@return boolean # true when a mesh has been built
function tg_hasmesh() end

--- Reads the geometry from a DXF drawing.
---@param filename string Path of the DXF file
---@param tolerance? number Ends closer than this are joined, in the model's length unit
function tg_importdxf(filename, tolerance) end

--- Reads points from a text file of x y pairs, one pair a line.
---@param filename string Path of the text file
function tg_importpoints(filename) end

--- Measures the mesh's worst element.
---@return number # the smallest angle of any element, in degrees
function tg_meshquality() end

--- Mirrors the selection across the line through two points.
---@param x1 number X of the first point on the line, in the model's length unit
---@param y1 number Y of the first point on the line, in the model's length unit
---@param x2 number X of the second point on the line, in the model's length unit
---@param y2 number Y of the second point on the line, in the model's length unit
function tg_mirrorselected(x1, y1, x2, y2) end

--- Gives the rectangle around the whole geometry.
---@return number # x of the lower left corner, in the model's length unit
---@return number # y of the lower left corner, in the model's length unit
---@return number # x of the upper right corner, in the model's length unit
---@return number # y of the upper right corner, in the model's length unit
function tg_modelbounds() end

--- Moves the selection.
---@param dx number Distance along x, in the model's length unit
---@param dy number Distance along y, in the model's length unit
function tg_moveselected(dx, dy) end

--- Draws the next segment of the polyline being drawn.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@see tg_startpolyline
---@see tg_closepolyline
function tg_nextpoint(x, y) end

--- Redoes the last geometry change undone.
function tg_redo() end

--- Makes the mesh finer in the region around a point.
---@param x number X of a point in the region, in the model's length unit
---@param y number Y of a point in the region, in the model's length unit
---@param factor number Element sizes are divided by this, above 1
function tg_refineregion(x, y, factor) end

--- Merges points that lie on one another and removes doubled segments.
---@param tolerance? number Points closer than this are one, in the model's length unit
function tg_removeduplicates(tolerance) end

--- Copies the selection, each copy turned on by the angle about a centre.
---@param cx number X of the centre, in the model's length unit
---@param cy number Y of the centre, in the model's length unit
---@param angle number Angle in degrees, counter-clockwise
---@param copies integer Number of copies to make
function tg_rotatecopy(cx, cy, angle, copies) end

--- Turns the selection about a centre.
---@param cx number X of the centre, in the model's length unit
---@param cy number Y of the centre, in the model's length unit
---@param angle number Angle in degrees, counter-clockwise
function tg_rotateselected(cx, cy, angle) end

--- Scales the selection about a centre.
---@param cx number X of the centre, in the model's length unit
---@param cy number Y of the centre, in the model's length unit
---@param factor number Scale factor, above 0
function tg_scaleselected(cx, cy, factor) end

--- Selects every item of the current edit mode.
---@see tg_editmode
function tg_selectall() end

--- Selects the arc nearest a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
function tg_selectarc(x, y) end

--- Selects the items inside a circle.
---@param cx number X of the centre, in the model's length unit
---@param cy number Y of the centre, in the model's length unit
---@param radius number Radius, in the model's length unit
---@param mode? integer 0 replaces the selection, 1 adds to it, 2 takes from it (default 0)
function tg_selectcircle(cx, cy, radius, mode) end

--- Counts the selected items.
---@return integer # the number of items selected
function tg_selectedcount() end

--- Selects every item of a group.
---@param group integer Group number
function tg_selectgroup(group) end

--- Selects the block label nearest a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
function tg_selectlabel(x, y) end

--- Selects the point nearest a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
function tg_selectpoint(x, y) end

--- Selects the items inside a rectangle.
---@param x1 number X of the first corner, in the model's length unit
---@param y1 number Y of the first corner, in the model's length unit
---@param x2 number X of the opposite corner, in the model's length unit
---@param y2 number Y of the opposite corner, in the model's length unit
---@param mode? integer 0 replaces the selection, 1 adds to it, 2 takes from it (default 0)
function tg_selectrect(x1, y1, x2, y2, mode) end

--- Selects the segment nearest a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
function tg_selectsegment(x, y) end

--- Sets the properties of the selected arcs.
---@param maxsegdeg number Largest angle one mesh segment of the arc spans, in degrees (default 1)
---@param boundary string Name of the boundary condition; "" for none
---@param automesh integer 1 lets the mesher choose the element size, 0 uses the size given
---@param hidden integer 1 hides the item in the results, 0 shows it
---@param group integer Group number; 0 for none
function tg_setarcprops(maxsegdeg, boundary, automesh, hidden, group) end

--- Sets the model's thickness for a planar problem.
---@param thickness number Thickness, in the model's length unit
function tg_setdepth(thickness) end

--- Puts the selected items into a group.
---@param group integer Group number; 0 for none
function tg_setgroup(group) end

--- Sets the properties of the selected block labels.
---@param material string Name of the material
---@param regionname string Name the region's results are shown under
---@param automesh integer 1 lets the mesher choose the element size, 0 uses the size given
---@param meshsize number Element size when automesh is 0, in the model's length unit
---@param group integer Group number; 0 for none
function tg_setlabelprops(material, regionname, automesh, meshsize, group) end

--- Sets the element size of the selected labels' regions.
---@param size number Element size, in the model's length unit
function tg_setmeshsize(size) end

--- Sets the smallest angle the mesher allows in an element.
---@param degrees number Angle in degrees, 10 to 33
function tg_setminangle(degrees) end

--- Sets the properties of the selected points.
---@param pointbc string Name of the point condition or well; "" for none
---@param group integer Group number; 0 for none
function tg_setpointprops(pointbc, group) end

--- Sets the kind of problem and the unit of lengths.
---@param kind "planar"|"axisymmetric" Planar, or symmetric about the y axis
---@param lengthunit "meters"|"centimeters"|"millimeters"|"kilometers"|"feet"|"inches" Unit of every length in the model
---@param minangle? number Smallest angle the mesher allows, in degrees
---@see tm_setunits
function tg_setproblem(kind, lengthunit, minangle) end

--- Sets the properties of the selected segments.
---@param boundary string Name of the boundary condition; "" for none
---@param maxlength number Longest mesh segment along it; 0 lets the mesher choose, in the model's length unit
---@param automesh integer 1 lets the mesher choose the element size, 0 uses the size given
---@param hidden integer 1 hides the item in the results, 0 shows it
---@param group integer Group number; 0 for none
function tg_setsegmentprops(boundary, maxlength, automesh, hidden, group) end

--- Switches smoothing of the mesh after it is built on or off.
---@param onoff integer 1 switches it on, 0 off
function tg_setsmoothing(onoff) end

--- Splits the segment nearest a point into two.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@param fraction number Where the new point lies along the segment, 0 to 1
function tg_splitsegment(x, y, fraction) end

--- Starts drawing a polyline at a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@see tg_nextpoint
---@see tg_closepolyline
function tg_startpolyline(x, y) end

--- Undoes the last geometry change.
function tg_undo() end

--- Adds a boundary condition of heat exchange with the surroundings.
---@param name string Name of the new boundary condition
---@param coefficient number Heat transfer coefficient, in W/(m²·K)
---@param ambient number Ambient temperature, in °C
function tm_addconvectionbc(name, coefficient, ambient) end

--- Adds a boundary condition of fixed inflow.
---@param name string Name of the new boundary condition
---@param flux number Inflow per area, in length unit per time unit; negative for outflow
function tm_addfluxbc(name, flux) end

--- Adds a boundary condition of fixed hydraulic head.
---@param name string Name of the new boundary condition
---@param head number Hydraulic head, in the model's length unit
---@see tm_modifyboundary
function tm_addheadbc(name, head) end

--- Adds a boundary condition of fixed heat inflow.
---@param name string Name of the new boundary condition
---@param heatflux number Heat inflow per area, in W/m²
function tm_addheatfluxbc(name, heatflux) end

--- Adds a leaky boundary towards water held at a stage.
---@param name string Name of the new boundary condition
---@param conductance number Leakage conductance, in 1 per time unit
---@param stage number Water level outside the boundary, in the model's length unit
function tm_addleakagebc(name, conductance, stage) end

--- Adds a material with its flow and heat properties.
---@param name string Name of the new material
---@param kx number Hydraulic conductivity along x, in length unit per time unit
---@param ky number Hydraulic conductivity along y, in length unit per time unit
---@param angle number Angle of the x axis of conductivity, in degrees
---@param porosity number Effective porosity, 0 to 1
---@param specstorage number Specific storage, in 1 per length unit
---@param specyield number Specific yield, 0 to 1
---@param thermx number Thermal conductivity along x, in W/(m·K)
---@param thermy number Thermal conductivity along y, in W/(m·K)
---@param heatcapacity number Volumetric heat capacity, in J/(m³·K)
---@param displong number Longitudinal dispersivity, in the model's length unit
---@param disptrans number Transverse dispersivity, in the model's length unit
---@param heatsource number Heat generated per volume, in W/m³
---@see tm_modifymaterial
---@see tg_setlabelprops
function tm_addmaterial(name, kx, ky, angle, porosity, specstorage, specyield, thermx, thermy, heatcapacity, displong, disptrans, heatsource) end

--- Adds a time at which results are saved.
---@param time number Time, in the model's time unit
function tm_addoutputtime(time) end

--- Adds a boundary condition joining two boundaries as one.
---@param name string Name of the new boundary condition
---@param antiperiodic? integer 1 for values of opposite sign on the two sides (default 0)
function tm_addperiodicbc(name, antiperiodic) end

--- Adds a source of water and heat at a point.
---@param name string Name of the new source
---@param rate number Inflow, in length unit³ per time unit
---@param heatrate number Heat injected, in watts
---@deprecated use tm_addwell
---@see tm_addwell
function tm_addpointsource(name, rate, heatrate) end

--- Adds a seepage face, where water may leave but not enter.
---@param name string Name of the new boundary condition
---@param elevation number Elevation of the seepage face, in the model's length unit
function tm_addseepagebc(name, elevation) end

--- Adds a boundary condition of fixed temperature.
---@param name string Name of the new boundary condition
---@param temperature number Temperature, in °C
function tm_addtemperaturebc(name, temperature) end

--- Adds a well that pumps or injects water at a temperature.
---@param name string Name of the new well
---@param rate number Pumping rate, in length unit³ per time unit; negative for injection
---@param temperature number Temperature of injected water, in °C
---@param radius? number Radius of the well, in the model's length unit
---@see tr_wellrate
---@see tg_setpointprops
function tm_addwell(name, rate, temperature, radius) end

--- Counts the boundary conditions.
---@return integer # the number of boundary conditions
function tm_boundarycount() end

--- Gives the name of a boundary condition.
---@param index integer Number of the boundary condition, from 1
---@return string # its name
function tm_boundaryname(index) end

--- Checks that the model can be solved.
---@return boolean # true when the model can be solved
---@return string|nil # what is missing, nil when the model is complete
function tm_checkmodel() end

--- Deletes every boundary condition.
function tm_clearboundaries() end

--- Deletes every material.
function tm_clearmaterials() end

--- Deletes every output time.
function tm_clearoutputtimes() end

--- Deletes every well and point condition.
function tm_clearpointbcs() end

--- Gives the time step being solved.
---@return integer # the number of the step, from 1
function tm_currentstep() end

--- Deletes a boundary condition.
---@param name string Name of the boundary condition
function tm_deleteboundary(name) end

--- Deletes a material.
---@param name string Name of the material
function tm_deletematerial(name) end

--- Deletes a well or point condition.
---@param name string Name of the well or point condition
function tm_deletepointbc(name) end

--- Gives one property of a material.
---@param name string Name of the material
---@param property "kx"|"ky"|"angle"|"porosity"|"specstorage"|"specyield"|"thermx"|"thermy"|"heatcapacity"|"displong"|"disptrans"|"heatsource" Property to read
---@return number # the property's value, in its unit
function tm_getmaterial(name, property) end

--- Counts the iterations of the last solution.
---@return integer # the number of iterations
function tm_iterationcount() end

--- Gives the residual the last solution ended with.
---@return number # the residual
function tm_lastresidual() end

--- Adds a material from Tarn's material library.
---@param library string Name of the library
---@param name string Name of the material in the library
function tm_loadlibrarymaterial(library, name) end

--- Reads a solution saved before.
---@param filename string Path of the solution file
---@see tm_savesolution
function tm_loadsolution(filename) end

--- Counts the materials.
---@return integer # the number of materials
function tm_materialcount() end

--- Gives the name of a material.
---@param index integer Number of the material, from 1
---@return string # its name
function tm_materialname(index) end

--- Changes one property of a boundary condition.
---@param name string Name of the boundary condition
---@param property "head"|"flux"|"heatflux"|"temperature"|"coefficient"|"ambient"|"conductance"|"stage"|"elevation" Property to change
---@param value number New value, in the property's unit
function tm_modifyboundary(name, property, value) end

--- Changes one property of a material.
---@param name string Name of the material
---@param property "kx"|"ky"|"angle"|"porosity"|"specstorage"|"specyield"|"thermx"|"thermy"|"heatcapacity"|"displong"|"disptrans"|"heatsource" Property to change
---@param value number New value, in the property's unit
---@see tm_getmaterial
function tm_modifymaterial(name, property, value) end

--- Changes one property of a well or point condition.
---@param name string Name of the well or point condition
---@param property "rate"|"heatrate"|"temperature"|"radius" Property to change
---@param value number New value, in the property's unit
function tm_modifypointbc(name, property, value) end

--- Solves the next time step of a transient analysis.
---@return boolean # true when the step converged
function tm_nextstep() end

--- Renames a material; the labels that use it follow.
---@param oldname string Name of the material
---@param newname string New name
function tm_renamematerial(oldname, newname) end

--- Discards the solution and starts again from the initial values.
function tm_resetsolution() end

--- Saves the solution to a file.
---@param filename string Path of the solution file
---@see tm_loadsolution
function tm_savesolution(filename) end

--- Sets whether the analysis is steady or transient.
---@param kind "steady"|"transient" Steady state, or stepping through time
---@see tm_settimesteps
function tm_setanalysis(kind) end

--- Switches the coupling of flow and heat on or off.
---@param onoff integer 1 switches it on, 0 off
function tm_setcoupling(onoff) end

--- Sets the properties of the water.
---@param density number Density, in kg/m³
---@param viscosity number Dynamic viscosity, in Pa·s
---@param heatcapacity number Specific heat capacity, in J/(kg·K)
---@param conductivity number Thermal conductivity, in W/(m·K)
function tm_setfluid(density, viscosity, heatcapacity, conductivity) end

--- Takes the initial values from a solution file.
---@param filename string Path of the solution file
function tm_setinitialfrom(filename) end

--- Sets the initial head everywhere.
---@param head number Hydraulic head, in the model's length unit
function tm_setinitialhead(head) end

--- Sets the initial temperature everywhere.
---@param temperature number Temperature, in °C
function tm_setinitialtemperature(temperature) end

--- Makes a material's property follow a curve read from a file.
---@param material string Name of the material
---@param property "kx"|"ky"|"thermx"|"thermy"|"heatcapacity" Property the curve sets
---@param filename string Path of the curve file: pairs of saturation or temperature and value
function tm_setmaterialcurve(material, property, filename) end

--- Sets how many iterations the solver may take.
---@param count integer Most iterations, above 0
function tm_setmaxiterations(count) end

--- Switches the non-linear solution on or off.
---@param onoff integer 1 switches it on, 0 off
function tm_setnonlinear(onoff) end

--- Sets the recharge onto a material's regions.
---@param material string Name of the material
---@param rate number Recharge, in length unit per time unit
function tm_setrecharge(material, rate) end

--- Sets the temperature at which fluid properties are given.
---@param temperature number Temperature, in °C
function tm_setreferencetemperature(temperature) end

--- Sets the relaxation of non-linear iterations.
---@param factor number Relaxation factor, 0 to 1
function tm_setrelaxation(factor) end

--- Chooses the solver of the equations.
---@param method "direct"|"cg"|"bicgstab" Direct solution, conjugate gradients, or BiCGStab
function tm_setsolver(method) end

--- Makes a boundary condition's value change with time.
---@param name string Name of the boundary condition
---@param expression string Expression in t, the time; for example "10 + sin(t)"
function tm_settimefunction(name, expression) end

--- Sets the time steps of a transient analysis.
---@param start number Start time, in the model's time unit
---@param stop number End time, in the model's time unit
---@param step number First step, in the model's time unit
---@param growth? number Each step is this many times the one before (default 1)
---@see tm_setanalysis
function tm_settimesteps(start, stop, step, growth) end

--- Sets when the solver's iterations have converged.
---@param tolerance number Largest relative change left, above 0
function tm_settolerance(tolerance) end

--- Sets the units of length and time.
---@param lengthunit "meters"|"centimeters"|"millimeters"|"kilometers"|"feet"|"inches" Unit of every length
---@param timeunit "seconds"|"minutes"|"hours"|"days"|"years" Unit of every time
---@see tg_setproblem
function tm_setunits(lengthunit, timeunit) end

--- Sets a material's unsaturated flow curve.
---@param material string Name of the material
---@param alpha number Van Genuchten alpha, in 1 per length unit
---@param n number Van Genuchten n, above 1
---@param residual number Residual saturation, 0 to 1
function tm_setunsaturated(material, alpha, n, residual) end

--- Solves flow and heat as the analysis is set.
---@return boolean # true when the solution converged
---@see tm_solveflow
---@see tm_solveheat
function tm_solve() end

--- Solves the groundwater flow only.
---@return boolean # true when the solution converged
function tm_solveflow() end

--- Solves the heat transport only, on the flow solved before.
---@return boolean # true when the solution converged
function tm_solveheat() end

--- Tells how the last solution ended.
---@return "converged"|"diverged"|"stopped"|"none" # how it ended; "none" before any
function tm_solvestatus() end

--- Gives the time reached by the current step.
---@return number # the time, in the model's time unit
function tm_steptime() end

--- Adds a point to the contour that line results are taken along.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@see tr_clearcontour
---@see tr_lineintegral
function tr_addcontourpoint(x, y) end

--- Integrates over the selected blocks.
---@param kind integer Which integral: 0 flow rate, 1 heat flow, 2 area, 3 mean head, 4 mean temperature
---@return number # the integral, in its quantity's unit
---@see tr_selectblock
function tr_blockintegral(kind) end

--- Gives the flow through a boundary condition.
---@param boundary string Name of the boundary condition
---@return number # the inflow, in length unit³ per time unit; negative for outflow
function tr_boundaryflux(boundary) end

--- Unselects every block.
function tr_clearblocks() end

--- Deletes the contour.
function tr_clearcontour() end

--- Closes the results window.
function tr_closeresults() end

--- Gives a quantity's value in a mesh element.
---@param index integer Number of the element, from 1
---@param quantity "head"|"pressure"|"temperature"|"velocity"|"flux"|"saturation" Quantity to show
---@return number # the value, in the quantity's unit
function tr_elementvalue(index, quantity) end

--- Writes a quantity along the contour to a text file.
---@param quantity "head"|"pressure"|"temperature"|"velocity"|"flux"|"saturation" Quantity to show
---@param points integer Number of points along the contour
---@param filename string Path of the text file
function tr_exportlinedata(quantity, points, filename) end

--- Writes every result to a file.
---@param filename string Path of the file
---@param format "csv"|"vtk"|"text" Format of the file
function tr_exportresults(filename, format) end

--- Gives the Darcy flux at a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@return number # the flux along x, in length unit per time unit
---@return number # the flux along y, in length unit per time unit
function tr_getfluxat(x, y) end

--- Gives the hydraulic head at a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@return number # the head, in the model's length unit
function tr_getheadat(x, y) end

--- Gives every quantity at a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@return table<string, number> # the values by quantity name
function tr_getpointvalues(x, y) end

--- Gives the water pressure at a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@return number # the pressure, in Pa
function tr_getpressureat(x, y) end

--- Gives the temperature at a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@return number # the temperature, in °C
function tr_gettemperatureat(x, y) end

--- Gives the seepage velocity at a point.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@return number # the velocity along x, in length unit per time unit
---@return number # the velocity along y, in length unit per time unit
function tr_getvelocityat(x, y) end

--- Hides the contour lines.
function tr_hidecontours() end

--- Hides the density plot.
function tr_hidedensity() end

--- Hides the mesh.
function tr_hidemesh() end

--- Hides the vectors.
function tr_hidevectors() end

--- Integrates along the contour.
---@param kind integer Which integral: 0 flow across, 1 heat flow across, 2 length, 3 mean head, 4 mean temperature
---@return number # the integral, in its quantity's unit
---@see tr_addcontourpoint
function tr_lineintegral(kind) end

--- Gives a quantity's smallest and largest values.
---@param quantity "head"|"pressure"|"temperature"|"velocity"|"flux"|"saturation" Quantity to show
---@return number # the smallest value, in the quantity's unit
---@return number # the largest value
function tr_minmax(quantity) end

--- Counts the nodes of the results.
---@return integer # the number of nodes
function tr_nodecount() end

--- Gives a quantity's value at a mesh node.
---@param index integer Number of the node, from 1
---@param quantity "head"|"pressure"|"temperature"|"velocity"|"flux"|"saturation" Quantity to show
---@return number # the value, in the quantity's unit
function tr_nodevalue(index, quantity) end

--- Opens a results file in the results window.
---@param filename string Path of the results file
---@return boolean # true when the file was opened
function tr_openresults(filename) end

--- Selects the block around a point for block integrals.
---@param x number X coordinate, in the model's length unit
---@param y number Y coordinate, in the model's length unit
---@see tr_blockintegral
function tr_selectblock(x, y) end

--- Selects every block of a group for block integrals.
---@param group integer Group number; 0 for none
function tr_selectgroup(group) end

--- Shows the results of a time step.
---@param index integer Number of the step, from 1
function tr_setstep(index) end

--- Shows contour lines of a quantity.
---@param count integer Number of contour lines
---@param lower number Lowest value drawn
---@param upper number Highest value drawn
---@param quantity "head"|"pressure"|"temperature"|"velocity"|"flux"|"saturation" Quantity to show
function tr_showcontours(count, lower, upper, quantity) end

--- Shows a quantity in colours.
---@param legend integer 1 shows the legend, 0 hides it
---@param greyscale integer 1 for shades of grey, 0 for colours
---@param upper number Value of the top colour
---@param lower number Value of the bottom colour
---@param quantity "head"|"pressure"|"temperature"|"velocity"|"flux"|"saturation" Quantity to show
function tr_showdensity(legend, greyscale, upper, lower, quantity) end

--- Shows the mesh.
function tr_showmesh() end

--- Shows arrows of a vector quantity.
---@param quantity "velocity"|"flux"|"heatflux" Vector quantity to show
---@param scale number Length of the arrows, 1 by default
function tr_showvectors(quantity, scale) end

--- Counts the time steps of the results.
---@return integer # the number of steps
function tr_stepcount() end

--- Gives the time of a time step.
---@param index integer Number of the step, from 1
---@return number # the time, in the model's time unit
function tr_steptime(index) end

--- Gives the flow into the model through all its boundaries.
---@return number # the inflow, in length unit³ per time unit
function tr_totalinflow() end

--- Gives the flow out of the model through all its boundaries.
---@return number # the outflow, in length unit³ per time unit
function tr_totaloutflow() end

--- Follows a particle of water from a point for a time.
---@param x number X of the start, in the model's length unit
---@param y number Y of the start, in the model's length unit
---@param time number Time to follow it, in the model's time unit
---@param direction? integer 1 follows the flow, -1 traces it back (default 1)
---@return number # x of where the particle is then, in the model's length unit
---@return number # its y, in the model's length unit
function tr_trackparticle(x, y, time, direction) end

--- Gives the time water takes from one point to another.
---@param x1 number X of the start, in the model's length unit
---@param y1 number Y of the start, in the model's length unit
---@param x2 number X of the end, in the model's length unit
---@param y2 number Y of the end, in the model's length unit
---@return number|nil # the time, in the model's time unit; nil when the water does not get there
function tr_traveltime(x1, y1, x2, y2) end

--- Gives the model's water balance error.
---@return number # inflow minus outflow and storage change, relative to the inflow
function tr_waterbalance() end

--- Gives the rate a well pumps at.
---@param well string Name of the well
---@return number # the rate, in length unit³ per time unit
---@see tm_addwell
function tr_wellrate(well) end

--- Brings a window of Tarn to the front.
---@param title string Title of the window
function tv_activatewindow(title) end

--- Arranges the windows overlapping.
function tv_cascadewindows() end

--- Closes the front window.
function tv_closewindow() end

--- Copies the front window's picture to the clipboard.
function tv_copyimage() end

--- Hides the axes.
function tv_hideaxes() end

--- Hides the console window.
function tv_hideconsole() end

--- Hides the grid.
function tv_hidegrid() end

--- Hides the legend.
function tv_hidelegend() end

--- Hides the names of labels and boundaries.
function tv_hidenames() end

--- Stops drawing until tv_unlockredraw, so many changes draw once.
---@see tv_unlockredraw
function tv_lockredraw() end

--- Maximises the front window.
function tv_maximize() end

--- Minimises the front window.
function tv_minimize() end

--- Moves Tarn's main window.
---@param x integer Left edge, in pixels
---@param y integer Top edge, in pixels
function tv_move(x, y) end

--- Moves the view.
---@param dx number Distance along x, in the model's length unit
---@param dy number Distance along y, in the model's length unit
function tv_pan(dx, dy) end

--- Prints the front window.
function tv_print() end

--- Draws the front window again.
function tv_refresh() end

--- Sets every colour back to its default.
function tv_resetcolors() end

--- Resizes Tarn's main window.
---@param width integer Width, in pixels
---@param height integer Height, in pixels
function tv_resize(width, height) end

--- Restores the front window's size.
function tv_restore() end

--- Saves the front window's picture; the extension (.png, .svg) picks the format.
---@param filename string Path of the image file
---@param width? integer Width of the image, in pixels
function tv_saveimage(filename, width) end

--- Sets the colour of one kind of item.
---@param item "background"|"mesh"|"grid"|"boundary"|"selection"|"text" Kind of item
---@param red integer Red part, 0 to 255
---@param green integer Green part, 0 to 255
---@param blue integer Blue part, 0 to 255
---@see tv_resetcolors
function tv_setcolor(item, red, green, blue) end

--- Sets the size of text in the views.
---@param size integer Size, in points
function tv_setfont(size) end

--- Sets the spacing of the grid.
---@param dx number Spacing along x, in the model's length unit
---@param dy number Spacing along y, in the model's length unit
function tv_setgrid(dx, dy) end

--- Sets the title of the front window.
---@param title string New title
function tv_settitle(title) end

--- Shows the axes.
function tv_showaxes() end

--- Shows the console window.
function tv_showconsole() end

--- Shows the grid.
function tv_showgrid() end

--- Shows the legend.
function tv_showlegend() end

--- Shows the names of labels and boundaries.
function tv_shownames() end

--- Stops clicks snapping to the grid.
function tv_snapoff() end

--- Makes clicks snap to the grid.
---@see tv_setgrid
function tv_snapon() end

--- Arranges the windows side by side.
function tv_tilewindows() end

--- Draws again after tv_lockredraw.
---@see tv_lockredraw
function tv_unlockredraw() end

--- Zooms so the whole model is in view.
function tv_zoomall() end

--- Zooms in.
---@param factor? number How many times larger, 2 by default
function tv_zoomin(factor) end

--- Zooms out by half.
function tv_zoomout() end

--- Zooms onto a rectangle of the model.
---@param x1 number X of the first corner, in the model's length unit
---@param y1 number Y of the first corner, in the model's length unit
---@param x2 number X of the opposite corner, in the model's length unit
---@param y2 number Y of the opposite corner, in the model's length unit
function tv_zoomwindow(x1, y1, x2, y2) end

--- Writes a line to Tarn's console and log file.
---@param text string Line to write
---@see showmessage
function writelog(text) end
